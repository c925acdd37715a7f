#pragma once
// The shop database of the program for the widget tests: the real tables with their rules
// and access levels, on a file of its own, with a few rows to show; the answers of the
// program's dialogs scripted; and a fetch scheduler that holds the grid's reads until the
// test runs them.
#include "objdb/DBEngine.h"
#include "objdb/Database.h"
#include "HeadlessGuard.h"
#include "objdb/ui/LazyTableModel.h"
#include "objdb/Notify.h"
#include "ShopBuilder.h"
#include "objdb/TableData.h"
#include <QStringList>
#include <deque>
#include <memory>

// What the library would show through the main window's sink.
class SinkRecord : public itfNotifyEvent {
public:
    void OnRefusal(const QString&, const QString& message) override { refusals << message; }
    void OnWarning(const QString&, const QString& message) override { warnings << message; }
    void OnInternalMessage(const QString&, const QString& message) override { messages << message; }
    QStringList refusals, warnings, messages;
};

class WidgetShop {
public:
    explicit WidgetShop(int accessLevel = 1);

    Database& db() { return m_shop.db(); }
    SinkRecord& sink() { return m_sink; }
    ScriptedUiServices& dialogs() { return *m_headless.ui; }
    std::unique_ptr<TableData> select(const QString& table, const QString& condition = QString(),
                                      const QString& order = QString());
    // The value as stored in the file (amounts as numbers, dates as text).
    QVariant stored(const QString& table, qint64 oid, const QString& field);

    qint64 addArticle(const QString& code, const QString& description, const char* price = "2.50");
    qint64 newSale(const QString& note = QString());
    qint64 addLine(qint64 sale, qint64 article, double quantity);

private:
    testenv::HeadlessGuard m_headless;
    std::shared_ptr<ManualClock> m_clock = m_headless.useManualClock(QDateTime(QDate(2007, 3, 1), QTime(10, 0)));
    SinkRecord m_sink;
    testshop::ShopBuilder m_shop;
};

// Holds the model's reads: a test runs the work and the deliveries when it chooses.
class HeldScheduler final : public FetchScheduler {
public:
    void post(QObject*, Work work) override { m_work.push_back(std::move(work)); }
    size_t pending() const { return m_work.size() + m_deliveries.size(); }
    // Runs every read and its delivery, and those they ask for, until none is left.
    int runAll(int limit = 10000);
    // Runs the reads waiting now, keeping their deliveries for deliverAll.
    void runWorkOnly();
    void deliverAll();

private:
    std::deque<Work> m_work;
    std::deque<Delivery> m_deliveries;
};
