#include "WidgetShop.h"
#include "base/Currency.h"
#include "objdb/SqlConnection.h"
#include "objdb/TableObject.h"
#include "TestEnvironment.h"
#include <QFile>

WidgetShop::WidgetShop(int accessLevel)
    : m_shop({.folder = QStringLiteral("widgets"), .sink = &m_sink, .accessLevel = accessLevel})
{ }

std::unique_ptr<TableData> WidgetShop::select(const QString& table, const QString& condition, const QString& order)
{
    return m_shop.select(table, condition, order);
}

// Read beside the library: its data sets share the rows being edited, pending changes and all.
QVariant WidgetShop::stored(const QString& table, qint64 oid, const QString& field)
{
    return m_shop.engine()->sql().scalar(QStringLiteral("SELECT \"%1\" FROM \"%2\" WHERE OID = ?").arg(field, table),
                                         {oid});
}

qint64 WidgetShop::addArticle(const QString& code, const QString& description, const char* price)
{
    return m_shop.addArticle({.code = code,
                              .description = description,
                              .price = *Currency::parse(QString::fromLatin1(price), QLocale::c()),
                              .purchasePrice = *Currency::parse(QStringLiteral("1.25"), QLocale::c()),
                              .stock = 10.0});
}

qint64 WidgetShop::newSale(const QString& note)
{
    m_clock->advanceMs(60 * 1000);
    return m_shop.addSale({.fields = note.isEmpty() ? QVariantList() : QVariantList {"Note", note}});
}

qint64 WidgetShop::addLine(qint64 sale, qint64 article, double quantity)
{
    return m_shop.addLine(*m_shop.row("Vendite", sale), {.article = article, .quantity = quantity});
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
