#include "Vendite.h"
#include "core/helpers/BusinessHelpers.h"
#include "base/Clock.h"
#include "core/configuration/Configuration.h"

namespace {

const QString kMarkBuono = QStringLiteral("BuonoVendita");

QVariant amount(Currency c) { return QVariant::fromValue(c); }

bool is(const QString& name, const char* wanted)
{
    return name.compare(QLatin1String(wanted), Qt::CaseInsensitive) == 0;
}

// Sets a flag for the length of a scope, even when a rule raises.
class Guard {
public:
    explicit Guard(bool& flag) : m_flag(flag) { m_flag = true; }
    ~Guard() { m_flag = false; }
    Guard(const Guard&) = delete;
    Guard& operator=(const Guard&) = delete;

private:
    bool& m_flag;
};

}   // namespace

void Vendite::DefineIdentity(TableIdentity& identity)
{
    identity.Caption = "Vendite";
    identity.Version = 1.5;
    // A sale left open by a program that died is given up at the next opening.
    identity.CompletionField = "Completato";
}

void Vendite::DefineStructure(FieldDefinitions& fields, IndexDefinitions& indexes, ReferenceDefinitions& refs)
{
    // Both totals move line by line while the sale is open.
    addField(fields, "ImportoVendita", FieldType::Currency).RunningTotal = true;
    addField(fields, "ImportoBuoni", FieldType::Currency, 0, "Totale dei buoni utilizzati nella vendita", {.o1 = 15})
        .RunningTotal
        = true;
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
    if (oldVersion < 1.2) execute(td, "UPDATE Vendite SET Completato=True");
}

// Both totals start at 0, so that a sale without lines never carries a Null total.
void Vendite::OnNewRow(TableData& td)
{
    td.SetValue("DataVendita", appClock().now());
    td.SetValue("ImportoVendita", amount(Currency()));
    td.SetValue("ImportoBuoni", amount(Currency()));
    td.SetValue("Note", QString(""));
    td.SetValue("Completato", false);
    td.SetValue("Punti", qint64(0));
}

// --- points ---------------------------------------------------------------------------------

qint64 Vendite::CalcolaPuntiVendita(const TableData& sale) const
{
    return PointsForAmount(sale.GetCurrencyValue("ImportoVendita"));
}

// The customer row is changed through the sale and saved with it.
void Vendite::AggiornaPuntiCliente(TableData& sale, qint64 delta)
{
    if (m_aggiornaPuntiInCorso || delta == 0) return;
    Guard guard(m_aggiornaPuntiInCorso);
    auto customer = sale.GetReference("Cliente");
    if (!customer->IsEmpty() && customer->GetBoolValue("CalcolaPunti"))
        customer->SetValue("Punti", customer->GetFieldValue("Punti").toLongLong() + delta);
}

void Vendite::RicalcolaPuntiCliente(TableData& sale, bool negate)
{
    if (m_ricalcoloPuntiInCorso) return;
    qint64 points = sale.GetFieldValue("Punti").toLongLong();
    if (points == 0) return;
    if (negate) points = -points;
    Guard guard(m_ricalcoloPuntiInCorso);
    auto customer = sale.GetReference("Cliente");
    if (!customer->IsEmpty() && customer->GetBoolValue("CalcolaPunti")) {
        customer->SetValue("Punti", customer->GetFieldValue("Punti").toLongLong() + points);
        customer->Update();
    }
}

qint64 Vendite::PuntiPremioRighe(TableData& sale)
{
    return sale.GetReference("Articoli")->Aggregate("PuntiPremio", 0).toLongLong();
}

// A sale that goes away takes back from its customer everything it moved: the points of its
// amount, the prize points of its lines and its own points. Its lines and voucher uses are
// deleted with their own rules (stock and vouchers come back there).
void Vendite::OnDeleteRow(TableData& td)
{
    AggiornaPuntiCliente(td, -CalcolaPuntiVendita(td));
    AggiornaPuntiCliente(td, -PuntiPremioRighe(td));
    RicalcolaPuntiCliente(td, true);
}

// --- fields -----------------------------------------------------------------------------------

void Vendite::OnBeforeUpdateField(TableData& td, QString& fieldName)
{
    if (is(fieldName, "Punti") || is(fieldName, "PuntiPremio")) RicalcolaPuntiCliente(td, true);
    if (is(fieldName, "ImportoVendita") && settings().ImportoPunto != 0)
        AggiornaPuntiCliente(td, -CalcolaPuntiVendita(td));
}

void Vendite::OnUpdateField(TableData& td, QString& fieldName)
{
    if (is(fieldName, "Punti") || is(fieldName, "PuntiPremio")) RicalcolaPuntiCliente(td, false);
    if (is(fieldName, "ImportoVendita") && settings().ImportoPunto != 0)
        AggiornaPuntiCliente(td, CalcolaPuntiVendita(td));
}

// --- references -------------------------------------------------------------------------------
// Before a line or voucher use changes, its stored contribution leaves the sale; after it, the
// new one comes in. A line's prize points follow the same pair, so editing a prize line
// neither creates nor loses points, and deleting it gives them back.

void Vendite::OnBeforeUpdateReference(TableData& td, TableData* row, QString& referenceName, QVariant&, QVariant&)
{
    if (is(referenceName, "Articoli")) {
        if (!row) {
            td.SetValue("ImportoVendita", amount(Currency()));
            td.SetValue("Punti", qint64(0));
        } else {
            td.SetValue("ImportoVendita",
                        amount(td.GetCurrencyValue("ImportoVendita") - row->GetCurrencyValue("ImportoScarico")));
            AggiornaPuntiCliente(td, -row->GetFieldValue("PuntiPremio").toLongLong());
        }
    } else if (is(referenceName, "Cliente")) {
        if (m_ricalcoloPuntiInCorso) return;
        // Everything the sale gave the old customer leaves with it.
        AggiornaPuntiCliente(td, -CalcolaPuntiVendita(td));
        AggiornaPuntiCliente(td, -PuntiPremioRighe(td));
        td.SetValue("Punti", qint64(0));
    } else if (is(referenceName, "BuoniUtilizzati")) {
        if (!row) {
            td.SetValue("ImportoBuoni", amount(Currency()));
        } else if (!row->TestAndMark(kMarkBuono)) {
            td.SubtractFromField("ImportoBuoni", amount(row->GetCurrencyValue("ImportoUtilizzatoVendita")));
        }
    }
}

void Vendite::OnUpdateReference(TableData& td, TableData* row, QString& referenceName, QVariant&, QVariant&)
{
    if (is(referenceName, "Articoli")) {
        if (!row) {
            td.SetValue("ImportoVendita", td.GetReference("Articoli")->Aggregate("ImportoScarico", 0));
        } else {
            td.SetValue("ImportoVendita",
                        amount(td.GetCurrencyValue("ImportoVendita") + row->GetCurrencyValue("ImportoScarico")));
            AggiornaPuntiCliente(td, row->GetFieldValue("PuntiPremio").toLongLong());
        }
    } else if (is(referenceName, "Cliente")) {
        if (m_ricalcoloPuntiInCorso) return;
        AggiornaPuntiCliente(td, CalcolaPuntiVendita(td));
        AggiornaPuntiCliente(td, PuntiPremioRighe(td));
        // Every line is priced again with the new customer's discount; the line rules and the
        // handlers above keep the total in step.
        auto lines = td.GetReference("Articoli");
        for (lines->MoveFirst(); !lines->IsEOF(); lines->MoveNext()) {
            FindDiscount(*lines);
            lines->Update();
        }
    } else if (is(referenceName, "BuoniUtilizzati")) {
        if (!row) {
            td.AddToField("ImportoBuoni", td.GetReference("BuoniUtilizzati")->Aggregate("ImportoUtilizzatoVendita", 0));
        } else if (row->IsMarked(kMarkBuono)) {
            // A use just added without an amount takes what is left of its voucher.
            if (row->IsNewListRow() && row->GetCurrencyValue("ImportoUtilizzatoVendita").isZero()
                && !row->GetParentKey().isNull()) {
                const Currency left
                    = row->GetCurrencyValue("ImportoBuono") - row->GetCurrencyValue("ImportoUtilizzato");
                if (!left.isZero()) {
                    row->SetValue("ImportoUtilizzatoVendita", amount(left));
                    row->Update();
                }
            }
            td.AddToField("ImportoBuoni", amount(row->GetCurrencyValue("ImportoUtilizzatoVendita")));
            row->Unmark(kMarkBuono);
        }
    }
}
