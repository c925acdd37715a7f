#pragma once
#include "TableClass.h"

// Pairs an article with a supplier's own code for it. Declared only: the database
// definition does not add it, so the table is never created.
class CorrispondenzeArticoli : public TableClass {
public:
    void DefineIdentity(TableIdentity& identity) override;
    void DefineStructure(FieldDefinitions& fields, IndexDefinitions& indexes, ReferenceDefinitions& refs) override;
};
