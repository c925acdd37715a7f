#pragma once
#include "base/Currency.h"
#include "StockLines.h"
#include "TableClass.h"
#include <unordered_map>

// Stock-load lines: one per article received in a supply; child rows of Articoli. They move
// the article's stock with their quantity and keep its weighted average purchase price.
class CaricoArticoli : public TableClass {
public:
    void DefineIdentity(TableIdentity& identity) override;
    void DefineStructure(FieldDefinitions& fields, IndexDefinitions& indexes, ReferenceDefinitions& refs) override;

    void OnUpdatedTableStruct(TableData& td, const QVariant& unused, double& oldVersion, bool& isNew) override;
    void OnNewRow(TableData& td) override;
    void OnBeforeUpdateField(TableData& td, QString& fieldName) override;
    void OnUpdateField(TableData& td, QString& fieldName) override;
    void OnUpdateRow(TableData& td) override;
    void OnDeleteRow(TableData& td) override;

private:
    // What a stored line brought into its article's average price when it was last saved:
    // taken before the first change of the line, so a new save or a delete can take it out
    // again before counting the line anew.
    struct Counted {
        qint64 article = 0;
        double quantity = 0;
        Currency amount;
    };
    void rememberCounted(TableData& td);

    LineNumbering m_numbering {QStringLiteral("DataCarico")};
    std::unordered_map<qint64, Counted> m_counted;   // by line OID
    bool m_deleting = false;
};
