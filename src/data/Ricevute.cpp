#include "Ricevute.h"
#include "Clock.h"

void Ricevute::DefineIdentity(TableIdentity& identity)
{
    identity.Version = 1.2;
}

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
    if (isNew)
        return;
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
