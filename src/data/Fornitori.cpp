#include "Fornitori.h"

void Fornitori::DefineIdentity(TableIdentity& identity)
{
    identity.Caption = "Fornitori";
    identity.Version = 1.6;
}

void Fornitori::DefineStructure(FieldDefinitions& fields, IndexDefinitions& indexes, ReferenceDefinitions& refs)
{
    addField(fields, "Descrizione", FieldType::Text, 64);
    addField(fields, "Indirizzo", FieldType::Text, 128);
    addField(fields, "Telefono", FieldType::Text, 32);
    addField(fields, "Cellulare", FieldType::Text, 32);
    addField(fields, "Fax", FieldType::Text, 32);
    addField(fields, "EMail", FieldType::Email, 255, "Indirizzo di posta elettronica");

    refs.AddReference("Tracciati", "TracciatiFornitura", true, false, "FileSorgente", "Note");

    indexes.AddIndex("Descrizione", true);
}

void Fornitori::OnNewRow(TableData& td)
{
    for (const char* field : {"Indirizzo", "Telefono", "Cellulare", "Fax", "EMail"}) td.SetValue(field, QString(""));
}
