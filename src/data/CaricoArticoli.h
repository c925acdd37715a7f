#pragma once
#include "TableClass.h"

// Stock-load lines: one per article received in a supply; child rows of Articoli.
class CaricoArticoli : public TableClass {
public:
    void DefineIdentity(TableIdentity& identity) override;
    void DefineStructure(FieldDefinitions& fields, IndexDefinitions& indexes, ReferenceDefinitions& refs) override;

    void OnUpdatedTableStruct(TableData& td, const QVariant& unused, double& oldVersion, bool& isNew) override;
};
