#pragma once
#include "TableClass.h"

// The shop's suppliers, with the record layouts of their delivery files.
class Fornitori : public TableClass {
public:
    void DefineIdentity(TableIdentity& identity) override;
    void DefineStructure(FieldDefinitions& fields, IndexDefinitions& indexes, ReferenceDefinitions& refs) override;

    void OnNewRow(TableData& td) override;
};
