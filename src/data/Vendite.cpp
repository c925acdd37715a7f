#include "Vendite.h"
#include "Clock.h"

void Vendite::DefineIdentity(TableIdentity& identity)
{
    identity.Caption = "Vendite";
    identity.Version = 1.5;
}

void Vendite::DefineStructure(FieldDefinitions& fields, IndexDefinitions& indexes, ReferenceDefinitions& refs)
{
    addField(fields, "ImportoVendita", FieldType::Currency);
    addField(fields, "ImportoBuoni", FieldType::Currency, 0, "Totale dei buoni utilizzati nella vendita", {.o1 = 15});
    addField(fields, "DataVendita", FieldType::DateTime);
    addField(fields, "Note", FieldType::Text, 128);
    addField(fields, "Punti", FieldType::Integer, 0, "Punti accumulati nella vendita", {.o2 = 1});
    addField(fields, "Completato", FieldType::Boolean, 0, QString(), {.o1 = 1});

    refs.AddReference("Articoli", "ScaricoArticoli", true, true, "Codice", "Descrizione,ValoreScarico,ImportoScarico");
    refs.AddReference("Cliente", "Clienti", false, false, QString(), "Descrizione");
    refs.AddReference("Pagamento", "PagamentiCliente", true, true, "DataPagamento", "Importo");
    refs.AddReference("BuoniUtilizzati", "BuoniVendite", true, true, QString(),
                      "ImportoUtilizzatoVendita,Descrizione,ImportoBuono,ImportoUtilizzato");

    indexes.AddIndex("DataVendita", false);
    indexes.AddIndex("DataVendita", true, "DataCliente").AddField("Cliente");
}

// Sales stored before the completion flag existed were all completed.
void Vendite::OnUpdatedTableStruct(TableData& td, const QVariant&, double& oldVersion, bool&)
{
    if (oldVersion < 1.2)
        execute(td, "UPDATE Vendite SET Completato=True");
}

// Both totals start at 0, so that a sale without lines never carries a Null total.
void Vendite::OnNewRow(TableData& td)
{
    td.SetValue("DataVendita", appClock().now());
    td.SetValue("ImportoVendita", QVariant::fromValue(Currency()));
    td.SetValue("ImportoBuoni", QVariant::fromValue(Currency()));
    td.SetValue("Note", QString(""));
    td.SetValue("Completato", false);
    td.SetValue("Punti", qint64(0));
}
