#include "WidgetShop.h"
#include "Currency.h"
#include "DB.h"
#include "SqlConnection.h"
#include "TableObject.h"
#include "TestEnvironment.h"
#include <QFile>

WidgetShop::WidgetShop(int accessLevel) : m_path(testenv::newDir("widgets") + "/Mirtavolia.mdb")
{
    m_clock = std::make_shared<ManualClock>(QDateTime(QDate(2007, 3, 1), QTime(10, 0)));
    setAppClock(m_clock);
    m_ui = std::make_shared<ScriptedUiServices>();
    setUiServices(m_ui);
    m_engine = std::make_shared<DBEngine>();
    m_engine->CreateDatabase(3, m_path);
    m_engine->OpenDatabase(3, m_path);
    m_db = LibraryGlobal::NewDatabase(std::make_shared<DB>(), "Mirtavolia", &m_sink);
    m_db->AttachEngine(m_engine);
    m_db->SetAccessLevel(accessLevel);
}

WidgetShop::~WidgetShop()
{
    m_db->Close();
    m_engine->Close();
    setUiServices(nullptr);
    setAppClock(std::make_shared<SystemClock>());
}

std::unique_ptr<TableData> WidgetShop::select(const QString& table, const QString& condition, const QString& order)
{
    return m_db->Tables().Item(table)->Select(condition, order);
}

// Read beside the library: its data sets share the rows being edited, pending changes and all.
QVariant WidgetShop::stored(const QString& table, qint64 oid, const QString& field)
{
    return m_engine->sql().scalar(QStringLiteral("SELECT \"%1\" FROM \"%2\" WHERE OID = ?").arg(field, table), {oid});
}

qint64 WidgetShop::addArticle(const QString& code, const QString& description, const char* price)
{
    return select("Articoli")->AddRow({"Codice", code, "Descrizione", description, "PrezzoVendita",
                                       QVariant::fromValue(*Currency::parse(QString::fromLatin1(price), QLocale::c())),
                                       "PrezzoAcquisto", QVariant::fromValue(*Currency::parse("1.25", QLocale::c())),
                                       "ValoreScorta", 10.0});
}

qint64 WidgetShop::newSale(const QString& note)
{
    m_clock->advanceMs(60 * 1000);
    auto sale = select("Vendite", "OID = 0");
    sale->NewRow();
    if (!note.isEmpty()) sale->SetValue("Note", note);
    sale->Update();
    return sale->GetOID();
}

qint64 WidgetShop::addLine(qint64 sale, qint64 article, double quantity)
{
    auto sales = select("Vendite", QStringLiteral("OID = %1").arg(sale));
    sales->MoveFirst();
    auto lines = sales->GetReference("Articoli");
    lines->NewRow();
    lines->SetParent(article);
    lines->SetValue("ValoreScarico", quantity);
    lines->Update();
    return lines->GetOID();
}

int HeldScheduler::runAll(int limit)
{
    int n = 0;
    while ((!m_work.empty() || !m_deliveries.empty()) && n < limit) {
        if (!m_deliveries.empty()) {
            Delivery d = std::move(m_deliveries.front());
            m_deliveries.pop_front();
            if (d) d();
            continue;
        }
        Work w = std::move(m_work.front());
        m_work.pop_front();
        if (Delivery d = w()) d();
        ++n;
    }
    return n;
}

void HeldScheduler::runWorkOnly()
{
    while (!m_work.empty()) {
        Work w = std::move(m_work.front());
        m_work.pop_front();
        m_deliveries.push_back(w());
    }
}

void HeldScheduler::deliverAll()
{
    while (!m_deliveries.empty()) {
        Delivery d = std::move(m_deliveries.front());
        m_deliveries.pop_front();
        if (d) d();
    }
}
