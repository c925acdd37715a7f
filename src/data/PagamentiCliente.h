#pragma once
#include "TableClass.h"

// The payment lines of a sale: date, amount, paying customer, payment type.
class PagamentiCliente : public TableClass {
public:
    void DefineIdentity(TableIdentity& identity) override;
    void DefineStructure(FieldDefinitions& fields, IndexDefinitions& indexes, ReferenceDefinitions& refs) override;

    void OnNewRow(TableData& td) override;
};
