#pragma once
// A shop for the tests of sales, customers, vouchers, discounts and receipts: points in use
// (one point every 10.00, a prize point worth 0.05), the clock on 1 March 2007, the settings
// put back after each test.
#include "ShopDatabase.h"
#include "base/AppError.h"
#include "base/Currency.h"
#include "HeadlessGuard.h"
#include <gtest/gtest.h>
#include <memory>

Currency eur(const char* text);
QVariant money(const char* text);

class SalesShop : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Rows made through the library, with their rules. Each returns the new row's OID.
    qint64 addCustomer(const QString& name, const QString& code, bool collectsPoints = true);
    qint64 addArticle(const QString& code, const char* price, double stock);
    qint64 addVoucher(qint64 customer, const QString& description, const char* amount);
    // A sale for the customer (0: none), stored; the clock moves on a minute so that sales
    // of one customer never share their time.
    std::unique_ptr<TableData> newSale(qint64 customer);
    // A line of the article in the sale, stored.
    qint64 addLine(TableData& sale, qint64 article, double quantity);

    // What the file holds.
    qint64 storedPoints(qint64 customer);
    Currency storedMoney(const QString& table, const QString& field, qint64 oid);
    double storedStock(qint64 article);
    qint64 count(const QString& table, const QString& condition = QString());

    testenv::HeadlessGuard headless;
    std::shared_ptr<ManualClock> clock = headless.useManualClock(QDateTime(QDate(2007, 3, 1), QTime(10, 0)));
    ShopDatabase shop;
};
