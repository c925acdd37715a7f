#pragma once
#include "TableClass.h"

// The article catalogue: codes, prices, stock, unit, VAT code, department, deposit and
// suppliers. Parent of the stock-load and stock-unload lines.
class Articoli : public TableClass {
public:
    void DefineIdentity(TableIdentity& identity) override;
    void DefineStructure(FieldDefinitions& fields, IndexDefinitions& indexes, ReferenceDefinitions& refs) override;

    void OnUpdatedTableStruct(TableData& td, const QVariant& unused, double& oldVersion, bool& isNew) override;
    void OnNewRow(TableData& td) override;
    void OnUpdateField(TableData& td, QString& fieldName) override;
    void OnUpdateRow(TableData& td) override;
};
