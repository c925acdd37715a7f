#pragma once
#include "TableClass.h"

// Supplies: one purchase document with its load lines and its payments. Its total is the
// sum of its load lines' amounts.
class Forniture : public TableClass {
public:
    void DefineIdentity(TableIdentity& identity) override;
    void DefineStructure(FieldDefinitions& fields, IndexDefinitions& indexes, ReferenceDefinitions& refs) override;

    void OnUpdatedTableStruct(TableData& td, const QVariant& unused, double& oldVersion, bool& isNew) override;
    void OnNewRow(TableData& td) override;
    void OnBeforeUpdateReference(TableData& td, TableData* row, QString& referenceName, QVariant& a,
                                 QVariant& b) override;
    void OnUpdateReference(TableData& td, TableData* row, QString& referenceName, QVariant& a, QVariant& b) override;
};
