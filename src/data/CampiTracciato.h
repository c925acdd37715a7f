#pragma once
#include "TableClass.h"

// The fields of a supplier's record layout: name, position and length in the line.
class CampiTracciato : public TableClass {
public:
    void DefineIdentity(TableIdentity& identity) override;
    void DefineStructure(FieldDefinitions& fields, IndexDefinitions& indexes, ReferenceDefinitions& refs) override;

    void OnNewRow(TableData& td) override;
};
