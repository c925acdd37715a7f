#include "RegisterShop.h"

#include "objdb/CurrencyInfo.h"

RegisterShop::RegisterShop()
{
    db().SetCurrency(std::make_shared<EuroCurrencyInfo>());
    auto vat = select(QStringLiteral("CodiciIva"));
    vat->AddRow({"Codice", "R1", "Descrizione", "Reparto 1", "Percentuale", 22, "CodiceCassa", 1});
    vat->AddRow({"Codice", "R2", "Descrizione", "Reparto 2", "Percentuale", 10, "CodiceCassa", 2});
    vat->AddRow({"Codice", "R0", "Descrizione", "Senza reparto", "Percentuale", 4, "CodiceCassa", QVariant()});
}

RegisterShop::~RegisterShop() = default;

qint64 RegisterShop::article(const QString& code, const QString& vat, const QString& unit)
{
    return builder().addArticle({.code = code, .price = eur("1.00"), .stock = 1000.0, .vat = vat, .unit = unit});
}

qint64 RegisterShop::sell(const QList<Row>& rows)
{
    QList<testshop::Line> lines;
    for (const Row& r : rows) lines.append({.code = r.code, .quantity = r.quantity, .amount = eur(r.amount)});
    return builder().addSale(
        {.lines = lines, .storeAfterLines = true, .afterEachLine = [this] { clock->advanceMs(1000); }});
}

std::unique_ptr<TableData> RegisterShop::sale(qint64 oid)
{
    return select(QStringLiteral("Vendite"), QStringLiteral("OID = %1").arg(oid));
}

std::unique_ptr<TableData> RegisterShop::saleRows(qint64 oid)
{
    return sale(oid)->GetReference(QStringLiteral("Articoli"));
}

qint64 RegisterShop::supply(const QList<std::pair<QString, double>>& rows)
{
    QList<testshop::Line> lines;
    for (const auto& [code, quantity] : rows) lines.append({.code = code, .quantity = quantity});
    return builder().addSupply({.lines = lines, .afterEachLine = [this] { clock->advanceMs(1000); }});
}

qint64 RegisterShop::receiptOf(qint64 saleOid) { return builder().addReceipt(saleOid); }

QStringList RegisterShop::boxes() const
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
    calls << QStringLiteral("SendData %1 x%2 \"%3\" %4")
                 .arg(price.toString())
                 .arg(quantity)
                 .arg(description)
                 .arg(department);
    if (++m_row == failAtRow)
        throw AppError::object(
            kSendDataCode, FiscalPrinterDescription(),
            DriverErrorText(kSendDataCode, QStringLiteral("Errore di comunicazione in invio dei dati")));
    m_total += price.times(quantity);
}
