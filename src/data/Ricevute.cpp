#include "Ricevute.h"
#include "base/Clock.h"
#include "objdb/Database.h"

void Ricevute::DefineIdentity(TableIdentity& identity) { identity.Version = 1.2; }

void Ricevute::DefineStructure(FieldDefinitions& fields, IndexDefinitions& indexes, ReferenceDefinitions& refs)
{
    addField(fields, "Numero", FieldType::Integer, 0, "Numero progressivo della Ricevuta");
    addField(fields, "Data", FieldType::Date, 0, "Data della Ricevuta");
    addField(fields, "AnnoRiferimento", FieldType::Integer, 0,
             "Anno di riferimento per la numerazione progressiva (ogni anno si azzera)", {.o1 = 15});
    addField(fields, "Note", FieldType::Text, 128);

    refs.AddReference("Vendita", "Vendite", false, false, QString(), "Cliente,DataVendita,ImportoVendita");

    indexes.AddIndex("Numero", true, "Progressivo").AddField("AnnoRiferimento");
    indexes.SetColumnOrder("Numero,Data,AnnoRiferimento,Vendita");
}

// A 1.0 table takes the reference year from each date; a 1.1 table kept it in AnnoFiscale.
void Ricevute::OnUpdatedTableStruct(TableData& td, const QVariant&, double& oldVersion, bool& isNew)
{
    if (isNew) return;
    if (oldVersion == 1.0)
        execute(td, "UPDATE Ricevute SET AnnoRiferimento=Year(Data)");
    else if (oldVersion == 1.1)
        execute(td, "UPDATE Ricevute SET AnnoRiferimento=AnnoFiscale");
}

void Ricevute::OnNewRow(TableData& td)
{
    td.SetValue("Data", appClock().today());
    td.SetValue("Note", QString(""));
}

void Ricevute::OnUpdateField(TableData& td, QString& fieldName)
{
    if (fieldName.compare("Data", Qt::CaseInsensitive) == 0) {
        // A receipt without a date keeps the year and number it has.
        if (td.IsFieldNull("Data")) return;
        const qint64 year = td.GetValue("Data").toDateTime().date().year();
        if (!LibraryGlobal::ValuesEqual(td.GetValue("AnnoRiferimento"), year)) td.SetValue("AnnoRiferimento", year);
    }
    if (fieldName.compare("AnnoRiferimento", Qt::CaseInsensitive) == 0) {
        if (td.IsFieldNull("AnnoRiferimento")) return;
        // The stored receipts of the year decide; none gives 0, so the first is number 1. Taken
        // again when storing the receipt finds its number taken by another counter meanwhile.
        const auto next = [](TableData& receipt) -> QVariant {
            const qint64 year = receipt.GetFieldValue("AnnoRiferimento").toLongLong();
            auto ofTheYear = receipt.OpenQuery("Ricevute", QString("AnnoRiferimento=%1").arg(year));
            return ofTheYear->Aggregate("Numero", 2).toLongLong() + 1;
        };
        td.TakeNumber("Numero", next(td), next, TableData::TakeAgain::OnCollision);
    }
}

// The newest sales first, then by customer.
void Ricevute::OnSelectReference(TableData& candidates, const QVariant&, QString& referenceName)
{
    const QString order = "DataVendita DESC,Cliente";
    if (referenceName.compare("Vendita", Qt::CaseInsensitive) == 0 && candidates.GetOrder().isEmpty()
        && candidates.AllowsOrder(order))
        candidates.SetOrder(order);
}
