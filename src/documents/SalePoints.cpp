#include "SalePoints.h"

#include "core/helpers/BusinessHelpers.h"
#include "core/configuration/Configuration.h"
#include "objdb/Database.h"
#include "DocumentOperator.h"
#include "core/seams/MainWindowServices.h"
#include "core/helpers/SystemHelpers.h"
#include "objdb/TableData.h"
#include "objdb/TableObject.h"
#include "base/UiServices.h"

#include <QLocale>
#include <cmath>

namespace {

const QString kCliente = QStringLiteral("Cliente");
const QString kPunti = QStringLiteral("Punti");
const QString kPuntiPremio = QStringLiteral("PuntiPremio");
const QString kImporto = QStringLiteral("ImportoScarico");
const QString kBuoniUtilizzati = QStringLiteral("BuoniUtilizzati");

constexpr int kQuestion = int(Msg::YesNo) + Msg::Exclamation + Msg::DefaultButton2;

Currency pointValue() { return Currency::fromDouble(settings().ImportoPuntoPremio); }
// The predefined prize's points, a whole number of them.
qint64 prizePoints() { return qint64(std::llround(settings().PuntiMinPremio)); }

QString amountText(const Database& db, Currency amount)
{
    const auto currency = db.GetCurrency();
    return amount.toText(QLocale(), currency ? currency->Decimals() : 2);
}
QString currencyName(const Database& db)
{
    const auto currency = db.GetCurrency();
    return currency ? currency->Name() : QString();
}

void status(const QString& text)
{
    if (MainWindowServices* mw = mainWindowServices())
        mw->SetStatusMsg(text);
    else
        ui().status(text);
}

}   // namespace

QString PointsLabel(qint64 before, qint64 sale)
{
    if (sale == 0) return QString::number(before);
    return QString::number(before) + (sale > 0 ? QStringLiteral(" + ") : QStringLiteral(" - "))
        + QString::number(std::abs(sale)) + QStringLiteral(" = ") + QString::number(before + sale);
}

qint64 WholePoints(Currency amount, Currency value)
{
    if (value.isZero()) return 0;
    qint64 n = amount.units(), d = value.units();
    if (d < 0) {
        n = -n;
        d = -d;
    }
    qint64 q = n / d;
    if (n % d != 0 && n < 0) --q;
    return q;
}

SalePoints::SalePoints(DocumentOperator& op) : m_op(op) { }

void SalePoints::bind(TableData* sale, TableData* rows)
{
    m_sale = sale;
    m_rows = rows;
    if (!sale) m_collects = false;
}

SalePoints::Tips SalePoints::tips(const Database& db)
{
    const QString name = currencyName(db);
    Tips t;
    if (prizePoints() != 0) {
        const QString value = name + u' ' + amountText(db, pointValue().times(settings().PuntiMinPremio));
        t.points = QStringLiteral(" (il premio di ") + QString::number(prizePoints()) + QStringLiteral(" punti vale ")
            + value + u')';
        t.prize = QStringLiteral(" (valore premio ") + value + u')';
    } else {
        t.points = QStringLiteral(" (un punto vale ") + name + u' ' + amountText(db, pointValue()) + u')';
    }
    return t;
}

bool SalePoints::Decide()
{
    m_collects = false;
    if (!m_sale || m_sale->HasNoCurrentRow() || !settings().Use_PuntiPremio) return false;
    auto customer = m_sale->GetReference(kCliente);
    if (customer->IsEmpty() || !customer->GetBoolValue(QStringLiteral("CalcolaPunti"))) return false;
    m_collects = settings().ImportoPunto > 0 || UpdateCustomerPoints(*m_sale) >= 1;
    return m_collects;
}

QString SalePoints::ShowPuntiCliente() const
{
    if (!m_sale || m_sale->HasNoCurrentRow()) return QStringLiteral("0");
    return PointsLabel(UpdateCustomerPoints(*m_sale), m_sale->GetFieldValue(kPunti).toLongLong());
}

// ---- prizes ----------------------------------------------------------------------------------------

SalePoints::PrizeSignal SalePoints::RefreshPremioSignal(qint64 selected)
{
    PrizeSignal off;
    if (!m_rows || !m_collects || selected == 0 || !m_rows->MoveToOID(selected)) return off;
    const Currency amount = m_rows->GetCurrencyValue(kImporto);
    if (amount < Currency()) return off;
    if (m_rows->GetFieldValue(kPuntiPremio).toLongLong() != 0) return {true, true, false};
    PrizeSignal on {true, false, false};
    if (amount > Currency() && prizePoints() != 0 && !pointValue().isZero()) {
        const qint64 available = qint64(UpdateCustomerPoints(*m_sale)) + m_sale->GetFieldValue(kPunti).toLongLong()
            - ComputePrizePoints(*m_rows);
        on.blink = available >= prizePoints() && amount >= pointValue().times(settings().PuntiMinPremio);
    }
    return on;
}

qint64 SalePoints::customerPoints()
{
    auto customer = m_sale->GetReference(kCliente);
    return customer->IsEmpty() ? 0 : customer->GetFieldValue(kPunti).toLongLong();
}

void SalePoints::setPrize(qint64 points)
{
    m_rows->SetValue(kPuntiPremio, -points);
    m_rows->Update();
}

bool SalePoints::Premium(qint64 selected)
{
    if (!m_rows || selected == 0 || !m_rows->MoveToOID(selected)) {
        ui().msgBox(QStringLiteral("Devi selezionare l'articolo relativo al premio"),
                    int(Msg::OKOnly) + Msg::Information, AppTitle());
        return false;
    }
    if (m_rows->GetFieldValue(kPuntiPremio).toLongLong() != 0) {
        setPrize(0);
        return true;
    }
    const Currency value = pointValue();
    if (value.isZero()) {
        ui().msgBox(
            QString::fromUtf8("N.B.: Non è stato impostato il valore di un punto relativo ai premi da assegnare"),
            int(Msg::OKOnly) + Msg::Exclamation, AppTitle());
        return false;
    }
    const qint64 points = customerPoints();
    if (points <= 0) {
        ui().msgBox(QStringLiteral("Non ci sono punti disponibili per il premio."), int(Msg::OKOnly) + Msg::Exclamation,
                    AppTitle());
        return false;
    }
    const Currency amount = m_rows->GetCurrencyValue(kImporto);
    const Currency pointsWorth = Currency::fromUnits(value.units() * points);
    const Database& db = *m_rows->GetDatabase();

    if (prizePoints() == 0) {
        // No predefined prize: the row itself is the prize, as far as the points go.
        if (pointsWorth > amount) {
            setPrize(WholePoints(amount, value));
        } else {
            if (ui().msgBox(QStringLiteral("Non ci sono abbastanza punti per l'intero premio...\r\r"
                                           "Vuoi effettuare la premiazione parziale ?"),
                            kQuestion, AppTitle())
                != Msg::Yes)
                return false;
            setPrize(points);
        }
        return true;
    }
    if (prizePoints() <= points) {
        const Currency prize = value.times(settings().PuntiMinPremio);
        if (amount >= prize) {
            setPrize(prizePoints());
            return true;
        }
        if (ui().msgBox(QString::fromUtf8("L'importo dell'elemento selezionato è inferiore al premio predefinito da "
                                          "assegnare di ")
                            + currencyName(db) + u' ' + amountText(db, prize)
                            + QStringLiteral("\r\rDistribuire il premio per quanto possibile ?"),
                        kQuestion, AppTitle())
            != Msg::Yes)
            return false;
        return distribute(prizePoints(), value);
    }
    if (ui().msgBox(
            QStringLiteral("Non ci sono abbastanza punti (almeno ") + QString::number(prizePoints())
                + QStringLiteral(") per l'assegnazione del premio...\r\rVuoi effettuare la forzatura parziale ?"),
            kQuestion, AppTitle())
        != Msg::Yes)
        return false;
    setPrize(pointsWorth > amount ? WholePoints(amount, value) : points);
    return true;
}

// The prize spread over the sale's rows in their order, each taking what its amount is worth.
bool SalePoints::distribute(qint64 points, Currency value)
{
    qint64 remaining = points;
    bool changed = false;
    for (m_rows->MoveFirst(); !m_rows->IsEOF() && remaining >= 1; m_rows->MoveNext()) {
        const qint64 worth = WholePoints(m_rows->GetCurrencyValue(kImporto), value);
        if (worth <= 0) continue;
        const qint64 taken = std::min(remaining, worth);
        remaining -= taken;
        setPrize(taken);
        changed = true;
    }
    return changed;
}

// ---- vouchers ----------------------------------------------------------------------------------------

std::unique_ptr<TableData> SalePoints::openVouchers()
{
    auto customer = m_sale->GetReference(kCliente);
    if (customer->IsEmpty()) return nullptr;
    auto vouchers = customer->GetReference(QStringLiteral("Buoni"));
    vouchers->SetFilter(QStringLiteral("ImportoBuono>ImportoUtilizzato"));
    return vouchers;
}

bool SalePoints::customerHasOpenVouchers()
{
    if (!m_sale || m_sale->HasNoCurrentRow()) return false;
    auto vouchers = openVouchers();
    return vouchers && !vouchers->IsEmpty();
}

bool SalePoints::saleUsesVouchers()
{
    return m_sale && !m_sale->HasNoCurrentRow() && !m_sale->GetReference(kBuoniUtilizzati)->IsEmpty();
}

bool SalePoints::UseVoucher()
{
    if (!m_sale || m_sale->HasNoCurrentRow()) return false;
    auto vouchers = openVouchers();
    if (!vouchers) return false;
    vouchers->MoveFirst();
    const std::optional<qint64> chosen = m_op.pickRow(*vouchers, {QStringLiteral("Descrizione")});
    if (!chosen || !vouchers->MoveToOID(*chosen)) return false;
    const Currency open = vouchers->GetCurrencyValue(QStringLiteral("ImportoBuono"))
        - vouchers->GetCurrencyValue(QStringLiteral("ImportoUtilizzato"));
    if (ui().msgBox(QStringLiteral("Vuoi usare il buono [") + vouchers->GetText(QStringLiteral("Descrizione"))
                        + QStringLiteral("] di ") + amountText(*m_sale->GetDatabase(), open)
                        + QStringLiteral(" nella vendita corrente ?"),
                    int(Msg::YesNo) + Msg::Question, AppTitle())
        != Msg::Yes)
        return false;
    // The use takes what is left of the voucher; the rules book it and total the sale's vouchers.
    m_sale->GetReference(kBuoniUtilizzati)->AddRow({QStringLiteral("objParent"), *chosen});
    return true;
}

void SalePoints::ShowSaleVouchers()
{
    if (!m_sale || m_sale->HasNoCurrentRow()) return;
    auto uses = m_sale->GetReference(kBuoniUtilizzati);
    m_op.showRows(*uses, {QStringLiteral("Descrizione")});
}

// ---- the customer's card ---------------------------------------------------------------------------

SalePoints::Card SalePoints::ReadCard()
{
    if (!m_sale || m_sale->HasNoCurrentRow() || !settings().Use_Badge) return Card::NotRead;
    const QString code = m_op.readCustomerCard();
    if (code.isEmpty()) {
        ui().msgBox(QStringLiteral("Codice carta non identificato..."), int(Msg::OKOnly) + Msg::Exclamation,
                    AppTitle());
        return Card::NotRead;
    }
    // Codes compare without letter case, as the customers' codes are kept.
    TableObject& clienti = *m_sale->GetDatabase()->Tables().Item(QStringLiteral("Clienti"));
    auto found = clienti.Select(clienti.BuildFieldCondition(QStringLiteral("Codice"), code));
    if (!found->IsEmpty()) {
        found->MoveFirst();
        m_sale->SetReferenceOID(kCliente, found->GetOID());
        status(QStringLiteral("Codice carta < ") + code + QStringLiteral(" > identificato..."));
        return Card::Identified;
    }
    // An unknown card leaves the sale's customer alone unless the operator makes the customer.
    if (ui().msgBox(QStringLiteral("Codice Cliente < ") + code
                        + QStringLiteral(" > non trovato...\r\rVuoi inserirlo ?"),
                    kQuestion, AppTitle())
        != Msg::Yes)
        return Card::NotFound;
    auto customers = clienti.Select(QStringLiteral("OID = 0"));
    const std::optional<qint64> made = m_op.newRow(*customers, {QStringLiteral("Codice"), code});
    if (!made || *made == 0) return Card::NotFound;
    m_sale->SetReferenceOID(kCliente, *made);
    return Card::Inserted;
}

bool SalePoints::CheckCartaCliente(bool cardWritable, QWidget* owner)
{
    if (!m_sale || m_sale->HasNoCurrentRow()) return false;
    auto customers = m_sale->GetReferenceTable(kCliente);
    customers->MoveFirst();
    const std::optional<qint64> chosen = m_op.pickRow(*customers, {QStringLiteral("Descrizione")});
    if (!chosen || *chosen == 0) return false;
    m_sale->SetReferenceOID(kCliente, *chosen);
    Decide();
    auto customer = m_sale->GetReference(kCliente);
    if (m_collects && cardWritable && !customer->IsEmpty()
        && !customer->GetBoolValue(QStringLiteral("AssegnatoCartaCliente"))
        && ui().msgBox(QStringLiteral("La carta relativa al cliente selezionato non risulta ancora assegnata...\r\r"
                                      "Vuoi farlo adesso ?"),
                       int(Msg::YesNo) + Msg::Question, AppTitle())
            == Msg::Yes)
        WriteCustomerCard(*customer, owner);
    return true;
}
