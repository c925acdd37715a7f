#include "PrintShop.h"

#include "Configuration.h"
#include "DB.h"
#include "PrinterTarget.h"
#include "TableObject.h"
#include "TestEnvironment.h"

#include <QProcess>
#include <QRegularExpression>

void PrintShop::SetUp()
{
    m_ui = std::make_shared<ScriptedUiServices>();
    setUiServices(m_ui);
    printers::setInstalledPrinterProvider([] { return QStringList(); });
    m_labelScript = LabelPrinterParam.VBScript;
    m_ticketScript = TicketPrinterParam.VBScript;
    m_path = testenv::newDir(QStringLiteral("print")) + QStringLiteral("/Mirtavolia.mdb");
    m_engine = std::make_shared<DBEngine>();
    m_engine->CreateDatabase(3, m_path);
    m_engine->OpenDatabase(3, m_path);
    m_db = LibraryGlobal::NewDatabase(std::make_shared<DB>(), QStringLiteral("Mirtavolia"), nullptr);
    m_db->AttachEngine(m_engine);
}

void PrintShop::closeDatabase()
{
    if (m_db) m_db->Close();
    if (m_engine) m_engine->Close();
    m_db.reset();
    m_engine.reset();
}

void PrintShop::TearDown()
{
    closeDatabase();
    LabelPrinterParam.VBScript = m_labelScript;
    TicketPrinterParam.VBScript = m_ticketScript;
    printers::setInstalledPrinterProvider(nullptr);
    setUiServices(nullptr);
}

std::unique_ptr<TableData> PrintShop::select(const QString& table, const QString& condition)
{
    return m_db->Tables().Item(table)->Select(condition);
}

qint64 PrintShop::addArticle(const QString& code, const QString& description, const char* price,
                             const QString& vatCode, const QString& unit)
{
    auto a = select(QStringLiteral("Articoli"), QStringLiteral("OID = 0"));
    a->NewRow();
    a->SetValue(QStringLiteral("Codice"), code);
    a->SetValue(QStringLiteral("Descrizione"), description);
    a->SetValue(QStringLiteral("PrezzoVendita"),
                QVariant::fromValue(*Currency::parse(QString::fromLatin1(price), QLocale::c())));
    a->SetValue(QStringLiteral("ValoreScorta"), 100.0);
    a->SetReferenceByKey(QStringLiteral("CodiceIva"), vatCode);
    a->SetReferenceByKey(QStringLiteral("UnitaMisura"), unit);
    a->Update();
    return a->GetOID();
}

std::unique_ptr<TableData> PrintShop::newSale(const QString& note)
{
    const qint64 customer = select(QStringLiteral("Clienti"))
                                ->AddRow({QStringLiteral("Descrizione"), QStringLiteral("Rossi Mario"),
                                          QStringLiteral("Codice"), QStringLiteral("C%1").arg(select(QStringLiteral("Clienti"))->RowCount() + 1)});
    auto sale = select(QStringLiteral("Vendite"), QStringLiteral("OID = 0"));
    sale->NewRow();
    sale->SetReferenceOID(QStringLiteral("Cliente"), customer);
    if (!note.isNull()) sale->SetValue(QStringLiteral("Note"), note);
    sale->Update();
    return select(QStringLiteral("Vendite"), QStringLiteral("OID = %1").arg(sale->GetOID()));
}

void PrintShop::addRow(TableData& sale, qint64 article, double quantity)
{
    auto rows = sale.GetReference(QStringLiteral("Articoli"));
    rows->NewRow();
    rows->SetParent(article);
    rows->SetValue(QStringLiteral("ValoreScarico"), quantity);
    rows->Update();
    sale.Update();   // the sale's total, kept by the rules, is stored with the sale
}

std::unique_ptr<TableData> PrintShop::addReceipt(TableData& sale)
{
    auto r = select(QStringLiteral("Ricevute"), QStringLiteral("OID = 0"));
    r->NewRow();
    r->SetReferenceOID(QStringLiteral("Vendita"), sale.GetOID());
    r->Update();
    return select(QStringLiteral("Ricevute"), QStringLiteral("OID = %1").arg(r->GetOID()));
}

namespace {
QString runTool(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(30000)) return QString();
    return QString::fromUtf8(p.readAllStandardOutput());
}
} // namespace

QString pdfText(const QString& path)
{
    return runTool(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
}

int pdfPages(const QString& path)
{
    const auto m = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(runTool(QStringLiteral("pdfinfo"), {path}));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

QList<PdfWord> pdfWords(const QString& path)
{
    // The boxes are in points, 72 to the inch.
    static const QRegularExpression word(
        QStringLiteral("<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\" yMax=\"[0-9.]+\">([^<]*)</word>"));
    QList<PdfWord> words;
    const QString boxes = runTool(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), path, QStringLiteral("-")});
    for (auto it = word.globalMatch(boxes); it.hasNext();) {
        const auto m = it.next();
        const auto mm = [&](int n) { return m.captured(n).toDouble() * 25.4 / 72; };
        words.append({m.captured(4), mm(1), mm(2), mm(3)});
    }
    return words;
}
