#include "CounterShop.h"

#include "Configuration.h"
#include "DeviceSettings.h"
#include "SavedDeviceSettings.h"
#include "TableObject.h"

namespace {
Currency amountOf(const char* text) { return *Currency::parse(QString::fromLatin1(text), QLocale::c()); }

SavedDeviceSettings g_saved;
}

CounterShop::CounterShop()
{
    g_saved = SavedDeviceSettings::take();
    store = std::make_shared<MemorySettingsStore>();
    setSettingsStore(store);
    db().SetCurrency(std::make_shared<EuroCurrencyInfo>());
    auto vat = select(QStringLiteral("CodiciIva"));
    vat->AddRow({"Codice", "R1", "Descrizione", "Reparto 1", "Percentuale", 22, "CodiceCassa", 1});
    vat->AddRow({"Codice", "R2", "Descrizione", "Reparto 2", "Percentuale", 10, "CodiceCassa", 2});
    vat->AddRow({"Codice", "R0", "Descrizione", "Senza reparto", "Percentuale", 4, "CodiceCassa", QVariant()});
}

CounterShop::~CounterShop() = default;

void CounterShop::TearDown()
{
    g_saved.restore();
    setSettingsStore(nullptr);
}

qint64 CounterShop::article(const QString& code, const QString& vat, const QString& unit)
{
    auto a = select(QStringLiteral("Articoli"), QStringLiteral("OID = 0"));
    a->NewRow();
    a->SetValue(QStringLiteral("Codice"), code);
    a->SetValue(QStringLiteral("Descrizione"), QStringLiteral("Articolo ") + code);
    a->SetValue(QStringLiteral("PrezzoVendita"), QVariant::fromValue(amountOf("1.00")));
    a->SetValue(QStringLiteral("ValoreScorta"), 1000.0);
    a->SetReferenceByKey(QStringLiteral("CodiceIva"), vat);
    a->SetReferenceByKey(QStringLiteral("UnitaMisura"), unit);
    a->Update();
    return a->GetOID();
}

qint64 CounterShop::sell(const QList<Row>& rows)
{
    auto s = select(QStringLiteral("Vendite"), QStringLiteral("OID = 0"));
    s->NewRow();
    s->Update();
    auto lines = s->GetReference(QStringLiteral("Articoli"));
    for (const Row& r : rows) {
        lines->NewRow();
        EXPECT_TRUE(lines->SetParentByKey(r.code));
        lines->SetValue(QStringLiteral("ValoreScarico"), r.quantity);
        lines->SetValue(QStringLiteral("ImportoScarico"), QVariant::fromValue(amountOf(r.amount)));
        lines->Update();
        clock->advanceMs(1000);
    }
    s->Update();
    return s->GetOID();
}

std::unique_ptr<TableData> CounterShop::sale(qint64 oid)
{
    return select(QStringLiteral("Vendite"), QStringLiteral("OID = %1").arg(oid));
}

std::unique_ptr<TableData> CounterShop::saleRows(qint64 oid) { return sale(oid)->GetReference(QStringLiteral("Articoli")); }

qint64 CounterShop::supply(const QList<std::pair<QString, double>>& rows)
{
    auto s = select(QStringLiteral("Forniture"), QStringLiteral("OID = 0"));
    s->NewRow();
    s->Update();
    auto lines = s->GetReference(QStringLiteral("Articoli"));
    for (const auto& [code, quantity] : rows) {
        lines->NewRow();
        EXPECT_TRUE(lines->SetParentByKey(code));
        lines->SetValue(QStringLiteral("ValoreCarico"), quantity);
        lines->Update();
        clock->advanceMs(1000);
    }
    return s->GetOID();
}

qint64 CounterShop::receiptOf(qint64 saleOid)
{
    auto r = select(QStringLiteral("Ricevute"), QStringLiteral("OID = 0"));
    r->NewRow();
    r->SetReferenceOID(QStringLiteral("Vendita"), saleOid);
    r->Update();
    return r->GetOID();
}

QStringList CounterShop::boxes() const
{
    QStringList out;
    for (const QString& line : prompts->log())
        if (line.startsWith(QLatin1String("MSGBOX: "))) out << line.mid(8);
    return out;
}

void RecordingPrinter::NewSession(int16_t decimals)
{
    ++m_attempt;
    m_row = 0;
    m_total = Currency();
    calls << QStringLiteral("NewSession %1").arg(decimals);
    if (failOpen && m_attempt == 1)
        throw AppError::object(kNewSessionCode, FiscalPrinterDescription(),
                               DriverErrorText(kNewSessionCode, QStringLiteral("Errore di comunicazione")));
}

void RecordingPrinter::SendData(Currency price, int16_t quantity, const QString& description, int16_t department)
{
    calls << QStringLiteral("SendData %1 x%2 \"%3\" %4").arg(price.toString()).arg(quantity).arg(description).arg(department);
    if (++m_row == failAtRow)
        throw AppError::object(kSendDataCode, FiscalPrinterDescription(),
                               DriverErrorText(kSendDataCode, QStringLiteral("Errore di comunicazione in invio dei dati")));
    m_total += price.times(quantity);
}
