#pragma once
#include "TableClass.h"

// Stock-unload lines: one per article sold in a sale; child rows of Articoli.
class ScaricoArticoli : public TableClass {
public:
    void DefineIdentity(TableIdentity& identity) override;
    void DefineStructure(FieldDefinitions& fields, IndexDefinitions& indexes, ReferenceDefinitions& refs) override;

    void OnUpdatedTableStruct(TableData& td, const QVariant& unused, double& oldVersion, bool& isNew) override;
};
