#pragma once
#include "TableClass.h"

// Receipts given for sales, numbered anew every year: AnnoRiferimento is the year of Data and
// Numero grows by one within it.
class Ricevute : public TableClass {
public:
    void DefineIdentity(TableIdentity& identity) override;
    void DefineStructure(FieldDefinitions& fields, IndexDefinitions& indexes, ReferenceDefinitions& refs) override;

    void OnUpdatedTableStruct(TableData& td, const QVariant& unused, double& oldVersion, bool& isNew) override;
    void OnNewRow(TableData& td) override;
    void OnUpdateField(TableData& td, QString& fieldName) override;
    void OnSelectReference(TableData& candidates, const QVariant& unused, QString& referenceName) override;
};
