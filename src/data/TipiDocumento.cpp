#include "TipiDocumento.h"

void TipiDocumento::DefineIdentity(TableIdentity& identity)
{
    identity.CopyKey = {"Codice"};
    identity.Caption = "Tipi Documento";
}

void TipiDocumento::DefineStructure(FieldDefinitions& fields, IndexDefinitions&, ReferenceDefinitions&)
{
    addField(fields, "Codice", FieldType::Text, 16);
    addField(fields, "Descrizione", FieldType::Text, 128);
}

void TipiDocumento::OnUpdatedTableStruct(TableData& td, const QVariant&, double&, bool& isNew)
{
    if (!isNew) return;
    td.AddRow({"Codice", "Bolla", "Descrizione", "Bolla di accompagnamento"});
    td.AddRow({"Codice", "Fattura", "Descrizione", "Fattura"});
}
