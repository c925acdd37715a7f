#include "Articoli.h"
#include "core/helpers/BusinessHelpers.h"
#include "base/Clock.h"
#include "core/configuration/Configuration.h"
#include "objdb/Database.h"
#include "core/configuration/DeviceSettings.h"

void Articoli::DefineIdentity(TableIdentity& identity)
{
    identity.Caption = "Articoli";
    identity.Version = 2.7;
}

void Articoli::DefineStructure(FieldDefinitions& fields, IndexDefinitions& indexes, ReferenceDefinitions& refs)
{
    addField(fields, "Descrizione", FieldType::Text, 64, "Descrizione del prodotto");
    addField(fields, "Codice", FieldType::Text, 32, "Codice del prodotto");
    addField(fields, "PrezzoVendita", FieldType::Currency, 0, "Prezzo di vendita finale del prodotto (IVA inclusa)");
    addField(fields, "PrezzoAcquisto", FieldType::Currency, 0, "Prezzo (ultimo) di acquisto del prodotto (IVA esclusa)",
             {.o2 = 1});
    // Moved by every load and sale line, by every counter sharing the file.
    addField(fields, "ValoreScorta", FieldType::Number, 0, "Quantità del prodotto in carico nel magazzino (giacenza)")
        .RunningTotal
        = true;
    addField(fields, "ScortaMinima", FieldType::Integer, 0,
             "Valore minimo per la segnalazione del sotto scorta (per eventuale riordino)");
    addField(fields, "ValoreMisura", FieldType::Number, 0,
             "Quantità effettiva del prodotto rispetto all'unità di misura");
    // The list price is shown only while the feature is on; the choice is made when the
    // database is opened.
    if (settings().Use_PrezzoAcquistoListino)
        addField(fields, "PrezzoAcquistoListino", FieldType::Currency, 0,
                 "Prezzo di listino del fornitore, senza sconti o offerte (IVA esclusa)", {.o2 = 1});
    else
        addField(fields, "PrezzoAcquistoListino", FieldType::Currency, 0, QString(), {.o2 = 255});
    addField(fields, "PrezzoAcquistoMedio", FieldType::Currency, 0,
             "Prezzo medio calcolato sulle variazioni del prezzo di acquisto (IVA esclusa)", {.o2 = 1});
    addField(fields, "PercentualeScorporoVari", FieldType::Number);
    addField(fields, "CodiceAggiuntivo", FieldType::Text, 32, "Codice aggiuntivo del prodotto");
    addField(fields, "DataInserimento", FieldType::DateTime, 0, "Data di inserimento del prodotto nell'archivio",
             {.o1 = 15});
    addField(fields, "DataModifica", FieldType::DateTime, 0, "Data dell'ultima modifica del prodotto", {.o1 = 15});

    refs.AddReference("Reparto", "Reparti", false, false, "Codice", "Descrizione");
    refs.AddReference("UnitaMisura", "UnitaMisura", false, false, "Codice", "Descrizione");
    refs.AddReference("CodiceIva", "CodiciIva", false, false, "Codice", "Descrizione");
    refs.AddReference("Deposito", "Depositi", false, false, QString(), "Deposito,Descrizione", -100, -100, -100,
                      "Deposito / Magazzino di appartenenza");
    refs.AddReference("Fornitori", "Fornitori", true, false, QString(), "Descrizione");

    // The same code may exist once per deposit.
    indexes.AddIndex("Codice", true, "InxArticoli").AddNextField("Deposito");
    indexes.AddIndex("Descrizione", false);

    indexes.SetColumnOrder(
        "Codice,Descrizione,Reparto,Deposito,CodiceAggiuntivo,PrezzoVendita,PrezzoAcquisto,"
        "PrezzoAcquistoListino,PrezzoAcquistoMedio,PercentualeScorporoVari,ValoreScorta,ScortaMinima,"
        "CodiceIva,UnitaMisura,ValoreMisura,Fornitori");
}

void Articoli::OnUpdatedTableStruct(TableData& td, const QVariant&, double& oldVersion, bool& isNew)
{
    if (isNew) return;
    if (oldVersion < 1.3) execute(td, "UPDATE Articoli SET PercentualeScorporoVari=0");
    // The register department moved from the article to its department: the column may be
    // gone already.
    if (oldVersion < 1.4)
        executeIgnoringErrors(td,
                              QString("UPDATE Articoli SET CodiceCassa=%1").arg(qint64(settings().DefaultDepartment)));
    if (oldVersion < 1.5) {
        executeIgnoringErrors(td, "ALTER TABLE Articoli DROP CodiceCassa");
        // Every article goes to department "01", or to the first one. With no department at
        // all there is nothing to point to, and the references stay unset.
        auto reparti = td.GetReferenceTable("Reparto");
        if (!reparti->FindKey("01")) reparti->MoveFirst();
        if (!reparti->IsEOF()) execute(td, QString("UPDATE Articoli SET OID_Reparto=%1").arg(reparti->GetOID()));
    }
    if (oldVersion < 1.8) {
        const QString today = td.GetDatabase()->FormatDateLiteral(QDateTime(appClock().today(), QTime(0, 0)), false);
        execute(td, QString("UPDATE Articoli SET CodiceAggiuntivo='', DataInserimento=%1, DataModifica=%1").arg(today));
    }
    if (oldVersion < 2.3) execute(td, "UPDATE Articoli SET ScortaMinima=0, PrezzoAcquistoMedio=PrezzoAcquisto");
    if (oldVersion < 2.6) execute(td, "UPDATE Articoli SET PrezzoAcquistoListino=0");
}

void Articoli::OnNewRow(TableData& td)
{
    td.SetValue("ValoreMisura", 1.0);
    td.SetValue("ValoreScorta", 0.0);
    td.SetValue("ScortaMinima", qint64(0));
    td.SetValue("PercentualeScorporoVari", 0.0);
    td.SetValue("CodiceAggiuntivo", QString(""));
    td.SetValue("PrezzoAcquistoListino", QVariant::fromValue(Currency()));
    td.SetValue("PrezzoAcquistoMedio", QVariant::fromValue(Currency()));
    const QDateTime now = appClock().now();
    td.SetValue("DataInserimento", now);
    td.SetValue("DataModifica", now);
    // The default deposit is the one with an empty name.
    td.SetReferenceByKey("Deposito", QString(""));
    // While the database is being opened the lookup tables may still be incomplete.
    if (td.GetDatabase()->State() != Database::kAttaching) {
        td.SetReferenceByKey("UnitaMisura", settings().Default_UnitaMisura);
        td.SetReferenceByKey("CodiceIva", settings().Default_CodiceIVA);
    }
}

namespace {
const QString kSale = QStringLiteral("PrezzoVendita");
const QString kPurchase = QStringLiteral("PrezzoAcquisto");
const QString kVariable = QStringLiteral("PercentualeScorporoVari");

QVariant money(Currency c) { return QVariant::fromValue(c); }

// A price that holds 0 (an empty price is not 0).
bool isZero(const TableData& td, const QString& field)
{
    return !td.IsFieldNull(field) && td.GetCurrencyValue(field).isZero();
}

void clearIfNotZero(TableData& td, const QString& field)
{
    if (!isZero(td, field)) td.SetValue(field, money(Currency()));
}
}   // namespace

// An article has either both prices or none, and a variable-price percentage only without
// prices; the selling price is kept in the database's currency.
void Articoli::OnUpdateField(TableData& td, QString& fieldName)
{
    if (fieldName == kSale) {
        const Currency converted = ComputeConvertedAmount(td, td.GetCurrencyValue(kSale), 1.0);
        // Storing the converted price raises this event again, which then finds it unchanged.
        if (td.IsFieldNull(kSale) || converted != td.GetCurrencyValue(kSale)) {
            td.SetValue(kSale, money(converted));
            return;
        }
    }
    if (fieldName == kSale || fieldName == kPurchase) {
        if (isZero(td, fieldName)) {
            clearIfNotZero(td, kSale);
            clearIfNotZero(td, kPurchase);
        } else {
            td.SetValue(kVariable, 0.0);
        }
    }
    if (fieldName == kVariable && td.GetFieldValue(kVariable).toDouble() > 0) {
        td.SetValue(kSale, money(Currency()));
        td.SetValue(kPurchase, money(Currency()));
    }
}

void Articoli::OnUpdateRow(TableData& td)
{
    const QString measure = QStringLiteral("ValoreMisura");
    if (!td.IsFieldNull(measure) && td.GetFieldValue(measure).toDouble() <= 0)
        td.CancelWithMessage(QStringLiteral("Il campo <ValoreMisura> deve essere maggiore di 0"));
    if (isZero(td, kSale) || isZero(td, kPurchase)) {
        td.SetValue(kSale, money(Currency()));
        td.SetValue(kPurchase, money(Currency()));
    }
    const QString average = QStringLiteral("PrezzoAcquistoMedio");
    if (td.GetCurrencyValue(average).isZero()) td.SetValue(average, td.GetValue(kPurchase));
    td.SetValue(QStringLiteral("DataModifica"), appClock().now());
}
