#pragma once
#include "TableClass.h"

// Customers' vouchers: an amount of credit and how much of it has been used. A voucher lives
// in its customer's list Buoni; its uses (BuoniVendite) are its child rows.
class BuoniClienti : public TableClass {
public:
    void DefineIdentity(TableIdentity& identity) override;
    void DefineStructure(FieldDefinitions& fields, IndexDefinitions& indexes, ReferenceDefinitions& refs) override;

    void OnNewRow(TableData& td) override;
    void OnBeforeUpdateField(TableData& td, QString& fieldName) override;
};
