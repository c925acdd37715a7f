#include "BusinessHelpers.h"
#include "base/AppError.h"
#include "core/configuration/Configuration.h"
#include "core/seams/CustomerCardWriter.h"
#include "objdb/Database.h"
#include "SystemHelpers.h"
#include "objdb/TableData.h"
#include "base/UiServices.h"
#include <cmath>

Currency ComputeConvertedAmount(TableData& td, Currency amount, double quantity)
{
    return td.GetDatabase()->ConvertAmount(amount, false, 1.0).times(quantity);
}

Currency ConvertFromConversionCurrency(const Database& db, Currency amount)
{
    const auto conversion = db.ConversionCurrency();
    if (!conversion || conversion->Rate() == 0.0) return amount;
    const int decimals = db.GetCurrency() ? db.GetCurrency()->Decimals() : 4;
    const long double value = amount.toLongDouble() / static_cast<long double>(conversion->Rate());
    return Currency::roundedTo(value, decimals);
}

double RoundQuantity(double value)
{
    const double scaled = value * 10000.0;
    if (!std::isfinite(scaled) || std::fabs(scaled) >= 9.0e15) return value;   // beyond 4 decimals of precision anyway
    // The default floating-point rounding mode sends halves to the even digit.
    return std::nearbyint(scaled) / 10000.0;
}

// ---- Discounts ---------------------------------------------------------------------------------

void FindDiscount(TableData& saleLine)
{
    auto rules = saleLine.OpenQuery(QStringLiteral("ConfigurazioneSconti"), QString());

    QVariant customerKey;
    bool customerCollectsPoints = false;
    if (auto sale = saleLine.GetOwnerRow()) {
        customerKey = sale->GetReferenceKey(QStringLiteral("Cliente"));
        auto customer = sale->GetReference(QStringLiteral("Cliente"));
        if (!customer->IsEmpty()) customerCollectsPoints = customer->GetBoolValue(QStringLiteral("CalcolaPunti"));
    }
    // The rules for this article, deposit and customer, and those for any of them. The text
    // is the same for every line, with the keys bound: one statement, prepared once.
    static const QString filter = QStringLiteral(
        "(SoloArticolo = ? OR SoloArticolo Is Null) AND (SoloDeposito = ? OR SoloDeposito Is Null) AND "
        "(SoloCliente = ? OR SoloCliente Is Null) AND CalcoloPuntiClienti = ?");
    const QVariantList keys {saleLine.GetParentKey(), saleLine.GetReferenceKey(QStringLiteral("Deposito")), customerKey,
                             customerCollectsPoints};
    if (!rules->Find(filter, keys, true)) {
        saleLine.SetValue(QStringLiteral("ImportoSconto"), QVariant::fromValue(Currency()));
        return;
    }
    // No rule takes precedence: a specific rule and a general one both apply.
    if (rules->RowCount() > 1)
        rules->WarnWithMessage(QStringLiteral("<INFORMAZIONE>\r\rSono stati identificati sconti multipli per la "
                                              "combinazione Cliente, Deposito o Articolo selezionati..."));
    saleLine.SetValue(QStringLiteral("ImportoSconto"), rules->Aggregate(QStringLiteral("ImportoSconto"), 0));
}

// ---- Points ------------------------------------------------------------------------------------

int64_t PointsForAmount(Currency amount)
{
    const Currency perPoint = Currency::fromDouble(settings().ImportoPunto);
    if (perPoint.isZero()) return 0;
    // Whole points of |amount| / perPoint, rounded down as Int does (a negative divisor
    // gives the next lower whole number).
    const int64_t a = amount.abs().units(), p = perPoint.units();
    int64_t n = a / p;
    if (a % p != 0 && (p < 0)) --n;
    return amount.sign() < 0 ? -n : n;
}

int32_t UpdateCustomerPoints(TableData& sale)
{
    if (sale.HasNoCurrentRow()) return 0;
    int64_t points = -sale.GetFieldValue(QStringLiteral("Punti")).toLongLong();
    auto customer = sale.GetReference(QStringLiteral("Cliente"));
    if (!customer->IsEmpty()) points += customer->GetFieldValue(QStringLiteral("Punti")).toLongLong();
    return static_cast<int32_t>(points);
}

int32_t ComputePrizePoints(TableData& saleLine)
{
    if (settings().ImportoPunto == 0.0) return 0;
    if (saleLine.HasNoCurrentRow()) return 0;
    const int64_t n = PointsForAmount(saleLine.GetCurrencyValue(QStringLiteral("ImportoScarico")));
    return static_cast<int32_t>(saleLine.GetFieldValue(QStringLiteral("PuntiPremio")).toLongLong() + n);
}

// ---- Codes -------------------------------------------------------------------------------------

void AssignProgressiveCode(TableData& td, const QString& fieldName, int length)
{
    try {
        // Over the whole table: the data set may show only some of its rows. Taken again when
        // the row is stored: another counter may have given the same code meanwhile.
        // Only codes made of digits and as long as the ones handed out count: codes typed by
        // hand ("C1") sort above the digits and would restart the count at 1. Without a length
        // the longest digit codes hold the highest number.
        const auto next = [fieldName, length](TableData& row) -> QVariant {
            const auto digits = [&](int width) {
                const QString pattern = QString(width, u'#');
                return row.OpenQuery(row.tableName(), QStringLiteral("[%1] Like \"%2\"").arg(fieldName, pattern));
            };
            qint64 n = 1;
            for (int width = length > 0 ? length : 15; width >= (length > 0 ? length : 1); --width) {
                auto codes = digits(width);
                if (codes->Aggregate(fieldName, 1).toLongLong() == 0) continue;
                n = codes->GetNextProgressive(fieldName).toLongLong();
                break;
            }
            // A code typed by hand may still stand where the count arrives (a longer one).
            QString code = QString::number(n).rightJustified(qMax(length, 0), u'0');
            while (row.OpenQuery(row.tableName(), row.BuildCondition(fieldName, code))
                       ->Aggregate(fieldName, 1)
                       .toLongLong()
                   > 0)
                code = QString::number(++n).rightJustified(qMax(length, 0), u'0');
            return code;
        };
        td.TakeNumber(fieldName, next(td), next);
    } catch (const AppError& e) {
        ui().msgBox(e.description + QStringLiteral("\r\rControllare le impostazioni..."), Msg::OKOnly, AppTitle());
    }
}

// ---- Customer card -----------------------------------------------------------------------------

void WriteCustomerCard(TableData& customer, QWidget* owner)
{
    const QString assigned = QStringLiteral("AssegnatoCartaCliente");
    if (customer.GetBoolValue(assigned)
        && ui().msgBox(QString::fromUtf8("La carta del cliente selezionato risulta già assegnata, proseguire con la "
                                         "creazione di un'altra carta ?"),
                       int {Msg::YesNo} | Msg::Exclamation | Msg::DefaultButton2, AppTitle())
            != Msg::Yes)
        return;

    const QString name = customer.GetText(QStringLiteral("Descrizione"));
    const QString code = customer.GetText(QStringLiteral("Codice"));
    const QString question = QStringLiteral("Cliente:   ") + name + QStringLiteral("\rCodice:   ") + code
        + QStringLiteral("\r\rQuesta operazione scrive il codice del cliente nella carta...\r\r"
                         "ATTENZIONE: assicurarsi che la carta da impostare sia quella giusta!\r\r"
                         "Continuare ?");
    if (ui().msgBox(question, int {Msg::YesNo} | Msg::Question | Msg::DefaultButton2, AppTitle()) != Msg::Yes) return;

    CustomerCardWriter* writer = customerCardWriter();
    if (!writer)
        throw AppError::object(AppError::kGenericCode, AppTitle(),
                               QStringLiteral("Scrittura delle carte non disponibile in questo sistema."));
    if (!writer->WriteCode(owner, code, QString(), QString(), true, 0)) return;

    // A customer whose mark was never set (an empty field) is marked too: the next card
    // written for it must be asked about.
    if (!customer.GetBoolValue(assigned)) {
        customer.SetValue(assigned, true);
        customer.Update();
    }
    QString done = QStringLiteral("OK\r\rLa carta ") + code + QStringLiteral(" del cliente < ") + name
        + QString::fromUtf8(" > è stata creata correttamente.");
    if (!customer.GetBoolValue(QStringLiteral("CalcolaPunti")))
        done += QString::fromUtf8("\r\rN.B.: Il calcolo dei punti non è stato attivato per il cliente");
    ui().msgBox(done, int {Msg::OKOnly} | Msg::Information, AppTitle());
}
