#pragma once
#include "StockLines.h"
#include "TableClass.h"

// Stock-unload lines: one per article sold in a sale; child rows of Articoli. They take the
// sold quantity off the article's stock and keep the line amount equal to the converted
// price times the quantity, plus the prize points' value, less the discount.
class ScaricoArticoli : public TableClass {
public:
    void DefineIdentity(TableIdentity& identity) override;
    void DefineStructure(FieldDefinitions& fields, IndexDefinitions& indexes, ReferenceDefinitions& refs) override;

    void OnUpdatedTableStruct(TableData& td, const QVariant& unused, double& oldVersion, bool& isNew) override;
    void OnNewRow(TableData& td) override;
    void OnBeforeUpdateField(TableData& td, QString& fieldName) override;
    void OnUpdateField(TableData& td, QString& fieldName) override;
    void OnDeleteRow(TableData& td) override;

private:
    LineNumbering m_numbering {QStringLiteral("DataScarico")};
};
