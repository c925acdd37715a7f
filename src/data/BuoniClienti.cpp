#include "BuoniClienti.h"
#include "base/Clock.h"
#include "objdb/DBEngine.h"

void BuoniClienti::DefineIdentity(TableIdentity& identity)
{
    identity.Version = 1.1;
    identity.LongOptionB = 1;
}

void BuoniClienti::DefineStructure(FieldDefinitions& fields, IndexDefinitions& indexes, ReferenceDefinitions&)
{
    addField(fields, "Data", FieldType::DateTime, 0, "Data del buono");
    addField(fields, "Descrizione", FieldType::Text, 64, "Descrizione dello buono");
    addField(fields, "ImportoBuono", FieldType::Currency, 0, "Importo a credito del Cliente (IVA inclusa)");
    // The sum of the voucher's uses, which sales at any counter add to.
    addField(fields, "ImportoUtilizzato", FieldType::Currency, 0,
             "Importo del buono utilizzato dal Cliente (IVA inclusa)", {.o1 = 15})
        .RunningTotal
        = true;

    indexes.AddIndex("Data", true, "InxBuono").AddField("Descrizione");
}

// While rows are edited interactively a voucher is made only inside a customer's list.
void BuoniClienti::OnNewRow(TableData& td)
{
    if (td.GetEngine()->Mode() == 1 && !td.GetOwnerRow())
        td.CancelWithMessage("Il buoni possono essere inseriti solo nell'ambito del Cliente selezionato");
    td.SetValue("Data", appClock().now());
    td.SetValue("ImportoUtilizzato", QVariant::fromValue(Currency()));
}

void BuoniClienti::OnBeforeUpdateField(TableData& td, QString& fieldName)
{
    if (fieldName.compare("ImportoBuono", Qt::CaseInsensitive) == 0
        && !td.GetCurrencyValue("ImportoUtilizzato").isZero())
        td.CancelWithMessage(QString::fromUtf8("Non puoi modificare l'importo del buono dopo che è stato usato"));
}
