#include "CodiciBarre.h"

void CodiciBarre::DefineIdentity(TableIdentity& identity)
{
    identity.Caption = "Codici a Barre";
    identity.Version = 1.2;
}

void CodiciBarre::DefineStructure(FieldDefinitions& fields, IndexDefinitions& indexes, ReferenceDefinitions&)
{
    addField(fields, "PrefissoCodice", FieldType::Text, 1);
    addField(fields, "PosizioneCodice", FieldType::Integer);
    addField(fields, "LunghezzaCodice", FieldType::Integer);
    addField(fields, "PosizioneQuantita", FieldType::Integer);
    addField(fields, "LunghezzaQuantita", FieldType::Integer);
    addField(fields, "PosizioneImporto", FieldType::Integer);
    addField(fields, "LunghezzaImporto", FieldType::Integer);
    addField(fields, "ConversioneValuta", FieldType::Boolean);
    addField(fields, "CoefficienteValuta", FieldType::Number);

    // At most one layout per first character.
    indexes.AddIndex("PrefissoCodice", true);
}

void CodiciBarre::OnUpdatedTableStruct(TableData& td, const QVariant&, double& oldVersion, bool&)
{
    if (oldVersion < 1.1) execute(td, "UPDATE CodiciBarre SET ConversioneValuta=False");
    if (oldVersion < 1.2) execute(td, "UPDATE CodiciBarre SET CoefficienteValuta=0");
}

// A new layout reads the whole of a 13-character code as the article code.
void CodiciBarre::OnNewRow(TableData& td)
{
    td.SetValue("PosizioneCodice", qint64(1));
    td.SetValue("LunghezzaCodice", qint64(13));
    td.SetValue("PosizioneQuantita", qint64(0));
    td.SetValue("LunghezzaQuantita", qint64(0));
    td.SetValue("PosizioneImporto", qint64(0));
    td.SetValue("LunghezzaImporto", qint64(0));
    td.SetValue("ConversioneValuta", false);
    td.SetValue("CoefficienteValuta", 0.0);
}
