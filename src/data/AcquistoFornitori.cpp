#include "AcquistoFornitori.h"
#include "base/Clock.h"

void AcquistoFornitori::DefineIdentity(TableIdentity& identity)
{
    identity.Caption = "Acquisto dai Fornitori";
    identity.Version = 1.1;
}

void AcquistoFornitori::DefineStructure(FieldDefinitions& fields, IndexDefinitions& indexes, ReferenceDefinitions& refs)
{
    addField(fields, "Importo", FieldType::Currency);
    addField(fields, "DataAcquisto", FieldType::DateTime);
    addField(fields, "Note", FieldType::Text, 128);

    refs.AddReference("Fornitore", "Fornitori", false, false, "Descrizione", QString());
    refs.AddReference("Pagamento", "TipiPagamento", false, false, "Descrizione", QString());

    indexes.AddIndex("DataAcquisto", false);
    indexes.AddIndex("DataAcquisto", true, "DataAcquistoFornitore").AddField("Fornitore").AddField("Importo");
}

void AcquistoFornitori::OnNewRow(TableData& td)
{
    td.SetValue("DataAcquisto", appClock().now());
    td.SetValue("Note", QString(""));
}
