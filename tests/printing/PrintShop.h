#pragma once
// A shop file for the printing tests: articles with a VAT code, sales with rows and a note,
// their receipt records; the print settings and the program's dialogs put back after each
// test, the printer list replaced so that no test reaches a real printer.
#include "base/Currency.h"
#include "objdb/DBEngine.h"
#include "objdb/Database.h"
#include "HeadlessGuard.h"
#include "ShopBuilder.h"
#include "objdb/TableData.h"

#include <QString>
#include <QStringList>
#include <gtest/gtest.h>
#include <memory>
#include <optional>

class PrintShop : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // An article priced `price` (C form, "12.20") with the VAT code and unit of that key.
    qint64 addArticle(const QString& code, const QString& description, const char* price,
                      const QString& vatCode = QStringLiteral("IVA20"), const QString& unit = QStringLiteral("QntPzz"));
    // A sale for a new customer, with a note; stored.
    std::unique_ptr<TableData> newSale(const QString& note = QString());
    // A row of the article in the sale; the sale is stored again with its new total.
    void addRow(TableData& sale, qint64 article, double quantity);
    // The receipt record of the sale, as the sale form finds it.
    std::unique_ptr<TableData> addReceipt(TableData& sale);
    std::unique_ptr<TableData> select(const QString& table, const QString& condition = QString());

    const QString& path() const { return m_shop->path(); }
    const std::shared_ptr<Database>& database() const { return m_shop->database(); }
    // Lets another process have the file.
    void closeDatabase();
    // What the operator was shown: the texts of the message boxes.
    QStringList messages() const { return m_ui->prompts(); }

    testenv::HeadlessGuard headless;
    std::shared_ptr<ScriptedUiServices> m_ui = headless.ui;

private:
    std::optional<testshop::ShopBuilder> m_shop;
};

// The text of a PDF file in reading layout, through pdftotext.
QString pdfText(const QString& path);
// The number of pages of a PDF file, through pdfinfo; -1 when it cannot be read.
int pdfPages(const QString& path);

// A word of a PDF page and where it stands, in millimetres from the page's top-left corner:
// the left and right ends of its letters' advances, and the top of its line.
struct PdfWord {
    QString text;
    double xMm = 0;
    double yMm = 0;
    double rightMm = 0;
};
// The words of a PDF file in the order pdftotext finds them (page after page).
QList<PdfWord> pdfWords(const QString& path);
