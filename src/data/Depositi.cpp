#include "Depositi.h"

void Depositi::DefineIdentity(TableIdentity& identity)
{
    identity.Caption = "Depositi / Magazzini";
    identity.Version = 1.2;
}

void Depositi::DefineStructure(FieldDefinitions& fields, IndexDefinitions& indexes, ReferenceDefinitions&)
{
    addField(fields, "Deposito", FieldType::Code, 32, "Nome del Deposito / Magazzino articoli");
    addField(fields, "Descrizione", FieldType::Text, 127, "Descrizione / Dettagli del Deposito o del Magazzino");

    indexes.AddIndex("Deposito", true);
}

// The default deposit is the one with an empty name: a new article is attached to it by
// the empty key.
void Depositi::OnUpdatedTableStruct(TableData& td, const QVariant&, double&, bool& isNew)
{
    if (!isNew) return;
    td.AddRow({"Deposito", QString(""), "Descrizione", "PREDEFINITO"});
}

void Depositi::OnNewRow(TableData& td) { td.SetValue("Descrizione", QString("")); }
