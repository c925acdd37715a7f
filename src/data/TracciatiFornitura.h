#pragma once
#include "TableClass.h"

// Supplier record layouts: the delivery file, its row-filter script and currency conversion,
// with the lists of its fields and line selections.
class TracciatiFornitura : public TableClass {
public:
    void DefineIdentity(TableIdentity& identity) override;
    void DefineStructure(FieldDefinitions& fields, IndexDefinitions& indexes, ReferenceDefinitions& refs) override;

    void OnUpdatedTableStruct(TableData& td, const QVariant& unused, double& oldVersion, bool& isNew) override;
    void OnNewRow(TableData& td) override;

private:
    static void addDefaultLayout(TableData& td);
    // Adds one field row to the current layout's list Campi.
    static void addLayoutField(TableData& layouts, TableData& campi, const QVariantList& fieldValuePairs);
};
