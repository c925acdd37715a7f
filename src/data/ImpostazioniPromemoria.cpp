#include "ImpostazioniPromemoria.h"

void ImpostazioniPromemoria::DefineIdentity(TableIdentity& identity)
{
    identity.Version = 1.3;
    identity.LongOptionA = 1;
}

void ImpostazioniPromemoria::DefineStructure(FieldDefinitions& fields, IndexDefinitions& indexes, ReferenceDefinitions&)
{
    addField(fields, "NomeTabella", FieldType::Text, 64, "Nome della tabella di riferimento per il promemoria");
    addField(fields, "NomeCampoData", FieldType::Text, 64,
             "Nome della campo della tabella di riferimento per il promemoria, deve essere di una data");
    addField(fields, "GiorniDiPreavviso", FieldType::Integer, 0, "Numero di giorni di preavviso (sommato a ore e minuti)");
    addField(fields, "OreDiPreavviso", FieldType::Integer, 0, "Numero di ore di preavviso (sommato a giorni e minuti)");
    addField(fields, "MinutiDiPreavviso", FieldType::Integer, 0, "Numero di minuti di preavviso (sommato a giorni e ore)");
    addField(fields, "MessaggioDiNotifica", FieldType::Text, 128,
             "Se si utilizza <%NomeCampoTabella%> verrà visualizzato il contenuto del campo");
    addField(fields, "DataUltimoControllo", FieldType::DateTime, 0,
             "Utilizzata dal sistema come ripartenza per i controlli successivi", {.f = 0});

    indexes.AddIndex("NomeTabella", false);
}

void ImpostazioniPromemoria::OnNewRow(TableData& td)
{
    td.SetValue("GiorniDiPreavviso", qint64(0));
    td.SetValue("OreDiPreavviso", qint64(0));
    td.SetValue("MinutiDiPreavviso", qint64(0));
}
