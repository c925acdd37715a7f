#pragma once
#include "TableClass.h"

// Discount rules: an amount taken off every sold article matching deposit, customer, article.
class ConfigurazioneSconti : public TableClass {
public:
    void DefineIdentity(TableIdentity& identity) override;
    void DefineStructure(FieldDefinitions& fields, IndexDefinitions& indexes, ReferenceDefinitions& refs) override;

    void OnNewRow(TableData& td) override;
    void OnUpdateRow(TableData& td) override;
};
