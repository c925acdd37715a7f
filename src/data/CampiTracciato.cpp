#include "CampiTracciato.h"

void CampiTracciato::DefineIdentity(TableIdentity& identity)
{
    identity.CopyKey = {"NomeCampo"};
    identity.Caption = "Campi Tracciato";
    identity.Version = 1.2;
}

void CampiTracciato::DefineStructure(FieldDefinitions& fields, IndexDefinitions& indexes, ReferenceDefinitions&)
{
    addField(fields, "NomeCampo", FieldType::Text, 32);
    addField(fields, "RilevaDifferenze", FieldType::Boolean);
    addField(fields, "ValoreMaxDifferenza", FieldType::Number);
    addField(fields, "CampoImporto", FieldType::Boolean);
    addField(fields, "CampoNumerico", FieldType::Boolean);
    addField(fields, "Posizione", FieldType::Integer);
    addField(fields, "Lunghezza", FieldType::Integer);
    addField(fields, "Note", FieldType::Text, 64);

    indexes.AddIndex("NomeCampo", false);
}

void CampiTracciato::OnNewRow(TableData& td)
{
    td.SetValue("Note", QString(""));
    td.SetValue("RilevaDifferenze", false);
    td.SetValue("ValoreMaxDifferenza", 0);
    td.SetValue("CampoImporto", false);
    td.SetValue("CampoNumerico", false);
    td.SetValue("Posizione", qint64(0));
    td.SetValue("Lunghezza", qint64(0));
}
