#pragma once
// A shop file for the report tests, filled with the longest values its fields take: codes of
// thirty-two letters, descriptions and notes up to their size, amounts in the tens of
// millions, a sale at 23.58 on a two-digit day and month. Each layout's view is opened as the
// main window's report view delivers it, computed columns included.
#include "base/Currency.h"
#include "objdb/DBEngine.h"
#include "objdb/Database.h"
#include "HeadlessGuard.h"
#include "report/ReportEngine.h"
#include "ShopBuilder.h"
#include "objdb/TableData.h"
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <gtest/gtest.h>
#include <memory>
#include <optional>

class ReportShop : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    qint64 addArticle(const QString& code, const QString& description, const char* price, const char* purchase,
                      double stock);
    qint64 addCustomer(const QString& name, const QString& address, const QString& phone);
    // A sale of `quantity` of the article, at `when`, with its note.
    qint64 addSale(qint64 customer, const QDateTime& when, const QString& note, qint64 article, double quantity);
    // A supply of `quantity` of the article at `price`, recorded at `when`.
    qint64 addSupply(const QString& supplier, const QString& document, const QString& type, const QDateTime& when,
                     const QString& note, qint64 article, double quantity, const char* price);

    // The shop of the long values: two articles, two customers, a sale and a supply.
    void fillWithLongValues();

    // The rows a layout reports on, as the main window's report view of that layout has
    // them: the table, with its references shown by name and the computed columns.
    std::unique_ptr<TableData> viewFor(const QString& layoutName);
    std::unique_ptr<TableData> select(const QString& table, const QString& fields = QString());
    QString quote(const QString& text) const;

    testenv::HeadlessGuard headless;
    std::shared_ptr<ScriptedUiServices> m_ui = headless.ui;
    QString m_dir;

private:
    std::optional<testshop::ShopBuilder> m_shop;
};

// The longest values the fixture holds, as the reports must show them.
namespace longest {
extern const QString kCode;   // 32 letters and digits, no blank
extern const QString kDescription;   // 64 characters
extern const QString kNote;   // 128 characters
extern const QString kCustomer;   // 127 characters
extern const QString kAddress;   // 128 characters
extern const QString kPhone;   // 32 characters
extern const QString kDocument;   // 64 characters
extern const QString kSupplier;   // 64 characters
}

// The text of a PDF file in reading layout, through pdftotext.
QString pdfText(const QString& path);

// Draws each page of the report twice at `dpi`: as it prints, and with every text given all
// the room it could want in the directions it does not start from. The pages differ where a
// text was cut off; the texts that were, one a line, or empty when none was.
QStringList cutTexts(const report::ReportDocument& doc, int dpi);
