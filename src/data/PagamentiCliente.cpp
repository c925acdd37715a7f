#include "PagamentiCliente.h"
#include "base/Clock.h"

void PagamentiCliente::DefineIdentity(TableIdentity& identity)
{
    identity.Caption = "Pagamenti del Cliente";
    identity.Version = 1.1;
}

void PagamentiCliente::DefineStructure(FieldDefinitions& fields, IndexDefinitions& indexes, ReferenceDefinitions& refs)
{
    addField(fields, "DataPagamento", FieldType::DateTime);
    addField(fields, "Importo", FieldType::Currency);
    addField(fields, "Note", FieldType::Text, 128);

    refs.AddReference("Cliente", "Clienti", false, false, QString(), "Descrizione");
    refs.AddReference("Pagamento", "TipiPagamento", false, false, QString(), "Descrizione");

    indexes.AddIndex("DataPagamento", false);
    indexes.AddIndex("DataPagamento", true, "DataPagamentoCliente").AddField("Cliente").AddField("Importo");
}

void PagamentiCliente::OnNewRow(TableData& td)
{
    td.SetValue("DataPagamento", appClock().now());
    td.SetValue("Note", QString(""));
}
