#include "PrintShop.h"

#include "core/configuration/Configuration.h"
#include "printing/PrinterTarget.h"
#include "objdb/TableObject.h"
#include "TestEnvironment.h"

#include <QProcess>
#include <QRegularExpression>

void PrintShop::SetUp()
{
    printers::setInstalledPrinterProvider([] { return QStringList(); });
    m_shop.emplace(testshop::Options {.folder = QStringLiteral("print")});
}

void PrintShop::closeDatabase() { m_shop->close(); }

void PrintShop::TearDown()
{
    closeDatabase();
    printers::setInstalledPrinterProvider(nullptr);
}

std::unique_ptr<TableData> PrintShop::select(const QString& table, const QString& condition)
{
    return m_shop->select(table, condition);
}

qint64 PrintShop::addArticle(const QString& code, const QString& description, const char* price, const QString& vatCode,
                             const QString& unit)
{
    return m_shop->addArticle({.code = code,
                               .description = description,
                               .price = *Currency::parse(QString::fromLatin1(price), QLocale::c()),
                               .stock = 100.0,
                               .vat = vatCode,
                               .unit = unit});
}

std::unique_ptr<TableData> PrintShop::newSale(const QString& note)
{
    const qint64 customer
        = m_shop->addCustomer({.name = QStringLiteral("Rossi Mario"),
                               .code = QStringLiteral("C%1").arg(select(QStringLiteral("Clienti"))->RowCount() + 1)});
    const qint64 sale = m_shop->addSale(
        {.counterpart = customer, .fields = note.isNull() ? QVariantList() : QVariantList {"Note", note}});
    return select(QStringLiteral("Vendite"), QStringLiteral("OID = %1").arg(sale));
}

void PrintShop::addRow(TableData& sale, qint64 article, double quantity)
{
    // The sale's total, kept by the rules, is stored with the sale.
    m_shop->addLine(sale, {.article = article, .quantity = quantity}, true);
}

std::unique_ptr<TableData> PrintShop::addReceipt(TableData& sale)
{
    return select(QStringLiteral("Ricevute"), QStringLiteral("OID = %1").arg(m_shop->addReceipt(sale.GetOID())));
}

namespace {
QString runTool(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(30000)) return QString();
    return QString::fromUtf8(p.readAllStandardOutput());
}
}   // namespace

QString pdfText(const QString& path)
{
    return runTool(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
}

int pdfPages(const QString& path)
{
    const auto m
        = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(runTool(QStringLiteral("pdfinfo"), {path}));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

QList<PdfWord> pdfWords(const QString& path)
{
    // The boxes are in points, 72 to the inch.
    static const QRegularExpression word(QStringLiteral(
        "<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\" yMax=\"[0-9.]+\">([^<]*)</word>"));
    QList<PdfWord> words;
    const QString boxes = runTool(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), path, QStringLiteral("-")});
    for (auto it = word.globalMatch(boxes); it.hasNext();) {
        const auto m = it.next();
        const auto mm = [&](int n) { return m.captured(n).toDouble() * 25.4 / 72; };
        words.append({m.captured(4), mm(1), mm(2), mm(3)});
    }
    return words;
}
