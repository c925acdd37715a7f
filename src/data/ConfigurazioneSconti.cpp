#include "ConfigurazioneSconti.h"

void ConfigurazioneSconti::DefineIdentity(TableIdentity& identity) { identity.Version = 1.2; }

void ConfigurazioneSconti::DefineStructure(FieldDefinitions& fields, IndexDefinitions& indexes,
                                           ReferenceDefinitions& refs)
{
    addField(fields, "Descrizione", FieldType::Text, 64, "Descrizione dello sconto");
    addField(fields, "ImportoSconto", FieldType::Currency, 0,
             "Importo da scontare in vendita per ogni articolo che soddisfa la combinazione (IVA inclusa)");
    addField(fields, "CalcoloPuntiClienti", FieldType::Boolean, 0,
             "Considera lo sconto solo per i Clienti con stessa impostazione per il calcolo dei punti");

    refs.AddReference("SoloDeposito", "Depositi", false, false, QString(), "Deposito", -100, -100, -100,
                      "Lo sconto viene applicato solo al Deposito selezionato", -2, 0, 0);
    refs.AddReference("SoloArticolo", "Articoli", false, false, "Codice", "Descrizione", -100, -100, -100,
                      "Lo sconto viene applicato solo all'articolo selezionato", -2, 0, 0);
    refs.AddReference("SoloCliente", "Clienti", false, false, "Codice", "Descrizione", -100, -100, -100,
                      "Lo sconto viene applicato solo al Cliente selezionato", -2, 0, 0);

    indexes.AddIndex("Descrizione", true);
    // One rule for each combination: a rule for a customer alone and another for the same
    // customer alone would both apply to a line.
    indexes.AddIndex("SoloDeposito", true, "InxSconto")
        .AddNextField("SoloCliente")
        .AddNextField("SoloArticolo")
        .EmptyCountsAsValue();
}

void ConfigurazioneSconti::OnNewRow(TableData& td) { td.SetValue("CalcoloPuntiClienti", true); }

// A rule names at least one selection and an amount; a rule for an article holds for every
// deposit. Each step runs even after an earlier one refused.
void ConfigurazioneSconti::OnUpdateRow(TableData& td)
{
    if (td.IsFieldEmpty("SoloDeposito") && td.IsFieldEmpty("SoloCliente") && td.IsFieldEmpty("SoloArticolo")) {
        td.SelectField("SoloDeposito");
        td.CancelWithMessage("Devi specificare almeno una delle selezioni Deposito, Cliente o Articolo");
    }
    // By OID: an empty key would pick the deposit whose name is empty.
    if (!td.IsFieldEmpty("SoloDeposito") && !td.IsFieldEmpty("SoloArticolo")) td.SetReferenceOID("SoloDeposito", 0);
    if (!td.IsFieldNull("ImportoSconto") && td.GetCurrencyValue("ImportoSconto").isZero()) {
        td.SelectField("ImportoSconto");
        td.CancelWithMessage("Devi specificare l'importo dello sconto");
    }
}
