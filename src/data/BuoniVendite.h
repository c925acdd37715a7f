#pragma once
#include "TableClass.h"

// The uses of a voucher in a sale; child rows of BuoniClienti.
class BuoniVendite : public TableClass {
public:
    void DefineIdentity(TableIdentity& identity) override;
    void DefineStructure(FieldDefinitions& fields, IndexDefinitions& indexes, ReferenceDefinitions& refs) override;

    void OnNewRow(TableData& td) override;
};
