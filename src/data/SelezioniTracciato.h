#pragma once
#include "TableClass.h"

// Line selections of a record layout: text expected at a position, kept or excluded.
class SelezioniTracciato : public TableClass {
public:
    void DefineIdentity(TableIdentity& identity) override;
    void DefineStructure(FieldDefinitions& fields, IndexDefinitions& indexes, ReferenceDefinitions& refs) override;

    void OnNewRow(TableData& td) override;
};
