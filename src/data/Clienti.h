#pragma once
#include "TableClass.h"

// The shop's customers: code, address and contacts, loyalty points, vouchers.
class Clienti : public TableClass {
public:
    void DefineIdentity(TableIdentity& identity) override;
    void DefineStructure(FieldDefinitions& fields, IndexDefinitions& indexes, ReferenceDefinitions& refs) override;

    void OnUpdatedTableStruct(TableData& td, const QVariant& unused, double& oldVersion, bool& isNew) override;
    void OnNewRow(TableData& td) override;
    void OnUpdateRow(TableData& td) override;
};
