#pragma once
#include "TableClass.h"

// The reminders raised by the reminder rules: text, next notice, origin, closed flag.
class Promemoria : public TableClass {
public:
    void DefineIdentity(TableIdentity& identity) override;
    void DefineStructure(FieldDefinitions& fields, IndexDefinitions& indexes, ReferenceDefinitions& refs) override;

    void OnNewRow(TableData& td) override;
};
