#pragma once
// A small shop for the view tests: a database file of the program's declarations, the clock
// in March 2007, and rows made through the table rules at chosen times.
#include "Clock.h"
#include "Currency.h"
#include "DBEngine.h"
#include "Database.h"
#include "TableData.h"
#include "UiServices.h"
#include <QDateTime>
#include <QString>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>

Currency eur(const char* text);

// The database is open from construction to destruction, so that a test's members may hold
// views over it.
class ViewShop : public ::testing::Test {
protected:
    ViewShop();
    ~ViewShop() override;

    Database& db() { return *m_db; }
    const QString& path() const { return m_path; }
    std::unique_ptr<TableData> select(const QString& table, const QString& condition = QString());
    void at(const QDateTime& when) { clock->set(when); }

    qint64 addSupplier(const QString& name);
    struct Article {
        QString code;
        const char* price;
        const char* purchasePrice;
        double stock;
        qint64 minimum = 0;
        QString vat = QStringLiteral("IVA20");
        qint64 supplier = 0;
    };
    qint64 addArticle(const Article& a);
    // A stored supply or sale of one line of `quantity` of the article, dated now; the clock
    // then moves on a second.
    qint64 load(const QString& code, double quantity, qint64 supplier = 0, bool paid = true);
    qint64 sell(const QString& code, double quantity);
    double stock(const QString& code);
    Currency average(const QString& code);

    std::shared_ptr<ManualClock> clock;
    std::shared_ptr<ScriptedUiServices> prompts;

private:
    QString m_path;
    std::shared_ptr<DBEngine> m_engine;
    std::shared_ptr<Database> m_db;
};
