#include "SelezioniTracciato.h"

void SelezioniTracciato::DefineIdentity(TableIdentity& identity) { identity.Caption = "Selezioni Tracciato"; }

void SelezioniTracciato::DefineStructure(FieldDefinitions& fields, IndexDefinitions&, ReferenceDefinitions&)
{
    addField(fields, "Posizione", FieldType::Integer);
    addField(fields, "Escludi", FieldType::Boolean);
    addField(fields, "Contenuto", FieldType::Text, 32);
    addField(fields, "Note", FieldType::Text, 64);
}

void SelezioniTracciato::OnNewRow(TableData& td)
{
    td.SetValue("Escludi", false);
    td.SetValue("Note", QString(""));
}
