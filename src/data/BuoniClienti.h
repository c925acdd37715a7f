#pragma once
#include "TableClass.h"

// Customers' vouchers: an amount of credit and how much of it has been used.
class BuoniClienti : public TableClass {
public:
    void DefineIdentity(TableIdentity& identity) override;
    void DefineStructure(FieldDefinitions& fields, IndexDefinitions& indexes, ReferenceDefinitions& refs) override;
};
