#include "Forniture.h"
#include "base/Clock.h"
#include "core/configuration/Configuration.h"

void Forniture::DefineIdentity(TableIdentity& identity)
{
    identity.Caption = "Forniture";
    identity.Version = 1.3;
    // A supply left open by a program that died is given up at the next opening.
    identity.CompletionField = "Completato";
}

void Forniture::DefineStructure(FieldDefinitions& fields, IndexDefinitions& indexes, ReferenceDefinitions& refs)
{
    // Moves line by line while the supply is open.
    addField(fields, "ImportoAcquisto", FieldType::Currency, 0, "Importo totale della Fornitura").RunningTotal = true;
    addField(fields, "DataFornitura", FieldType::DateTime, 0, "Data di registrazione della Fornitura");
    addField(fields, "Documento", FieldType::Text, 64,
             "Indica il documento relativo alla Fornitura, ad es. Fattura, Bolla, ecc.");
    addField(fields, "Note", FieldType::Text, 128);
    // Shown only while supplier payments are in use; decided when the database is opened.
    addField(fields, "Pagato", FieldType::Boolean, 0, "Indica se la fornitura è stata pagata o meno",
             {.o2 = settings().Use_PagamentoForniture ? 0 : 255});
    addField(fields, "Completato", FieldType::Boolean, 0,
             "Indica se l'operazione è stata completata o se c'è stato un errore imprevisto", {.o1 = 1});

    refs.AddReference("TipoDocumento", "TipiDocumento", false, false, "Codice", "Descrizione");
    refs.AddReference("Fornitore", "Fornitori", false, false, QString(), "Descrizione");
    refs.AddReference("Articoli", "CaricoArticoli", true, true, "Codice", "Descrizione,ValoreCarico,ImportoCarico");
    refs.AddReference("Pagamento", "AcquistoFornitori", true, true, "DataAcquisto", "Importo");

    indexes.AddIndex("DataFornitura", false);
    indexes.AddIndex("Documento", false);
    indexes.AddIndex("DataFornitura", true, "DataFornitore").AddField("Fornitore");
}

// Supplies stored before the completion flag existed were all completed.
void Forniture::OnUpdatedTableStruct(TableData& td, const QVariant&, double& oldVersion, bool&)
{
    if (oldVersion < 1.2) execute(td, "UPDATE Forniture SET Completato=True");
}

// The total starts at 0, so that a supply without lines never carries a Null total.
void Forniture::OnNewRow(TableData& td)
{
    td.SetValue("ImportoAcquisto", QVariant::fromValue(Currency()));
    td.SetValue("DataFornitura", appClock().now());
    td.SetValue("Note", QString(""));
    td.SetValue("Documento", QString(""));
    td.SetValue("Completato", false);
    td.SetValue("Pagato", true);
}

// A line reported before a change takes its old amount out of the total, and after the
// change puts its new one in; a change of the whole list sums the lines again.
void Forniture::OnBeforeUpdateReference(TableData& td, TableData* row, QString& referenceName, QVariant&, QVariant&)
{
    if (referenceName != QStringLiteral("Articoli")) return;
    const QString total = QStringLiteral("ImportoAcquisto");
    const Currency amount
        = row ? td.GetCurrencyValue(total) - row->GetCurrencyValue(QStringLiteral("ImportoCarico")) : Currency();
    td.SetValue(total, QVariant::fromValue(amount));
}

void Forniture::OnUpdateReference(TableData& td, TableData* row, QString& referenceName, QVariant&, QVariant&)
{
    if (referenceName != QStringLiteral("Articoli")) return;
    const QString total = QStringLiteral("ImportoAcquisto");
    if (row)
        td.SetValue(
            total,
            QVariant::fromValue(td.GetCurrencyValue(total) + row->GetCurrencyValue(QStringLiteral("ImportoCarico"))));
    else
        td.SetValue(total, td.GetReference(QStringLiteral("Articoli"))->Aggregate(QStringLiteral("ImportoCarico"), 0));
}
