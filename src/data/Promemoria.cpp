#include "Promemoria.h"
#include "base/Clock.h"

void Promemoria::DefineIdentity(TableIdentity& identity)
{
    identity.Version = 1.1;
    identity.LongOptionA = 1;
}

void Promemoria::DefineStructure(FieldDefinitions& fields, IndexDefinitions& indexes, ReferenceDefinitions&)
{
    addField(fields, "TestoPromemoria", FieldType::Text, 255);
    addField(fields, "DataProssimaNotifica", FieldType::DateTime);
    addField(fields, "NomeTabellaOrigine", FieldType::Text, 64, "Identifica la tabella di origine del messaggio",
             {.o2 = 15, .f = 0});
    addField(fields, "NomeCampoDataOrigine", FieldType::Text, 64, "Identifica il campo data origine del messaggio",
             {.o2 = 15, .f = 0});
    addField(fields, "IDElementoOrigine", FieldType::Text, 255, "Identifica l'elemento che ha originato il messaggio",
             {.o2 = 15, .f = 0});
    addField(fields, "Chiuso", FieldType::Boolean, 0, "Indica la validità o meno del promemoria");
    addField(fields, "DataRiferimento", FieldType::DateTime, 0, QString(), {.o1 = 15, .o2 = 15, .o3 = 15});

    indexes.AddIndex("DataProssimaNotifica", false);
    indexes.AddIndex("NomeTabellaOrigine", false);
    indexes.AddIndex("NomeCampoDataOrigine", false);
    indexes.AddIndex("IDElementoOrigine", false);
    indexes.AddIndex("DataRiferimento", false);
}

void Promemoria::OnNewRow(TableData& td)
{
    td.SetValue("Chiuso", false);
    td.SetValue("DataRiferimento", appClock().now());
    td.SetValue("IDElementoOrigine", QString(""));
    td.SetValue("NomeTabellaOrigine", QString(""));
    td.SetValue("NomeCampoDataOrigine", QString(""));
}
