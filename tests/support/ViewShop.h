#pragma once
// A small shop for the view tests: a database file of the program's declarations, the clock
// in March 2007, and rows made through the table rules at chosen times.
#include "base/Currency.h"
#include "objdb/DBEngine.h"
#include "objdb/Database.h"
#include "HeadlessGuard.h"
#include "ShopBuilder.h"
#include "objdb/TableData.h"
#include <QDateTime>
#include <QString>
#include <gtest/gtest.h>
#include <memory>

Currency eur(const char* text);

// The database is open from construction to destruction, so that a test's members may hold
// views over it.
class ViewShop : public ::testing::Test {
protected:
    Database& db() { return m_shop.db(); }
    const QString& path() const { return m_shop.path(); }
    std::unique_ptr<TableData> select(const QString& table, const QString& condition = QString());
    void at(const QDateTime& when) { clock->set(when); }

    qint64 addSupplier(const QString& name) { return m_shop.addSupplier(name); }
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

    testenv::HeadlessGuard headless;
    std::shared_ptr<ManualClock> clock = headless.useManualClock(QDateTime(QDate(2007, 3, 1), QTime(8, 0)));
    std::shared_ptr<ScriptedUiServices> prompts = headless.ui;

    testshop::ShopBuilder& builder() { return m_shop; }

private:
    testshop::ShopBuilder m_shop {{.folder = QStringLiteral("views"), .accessLevel = 1}};
};
