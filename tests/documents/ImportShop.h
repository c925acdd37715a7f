#pragma once
// A shop file for the import tests: a supplier with record layouts, articles (the same code
// may be given in two deposits), delivery files written in a private folder, an open supply
// with its rows, and the operator's answers: message boxes from a script, windows of the
// import from a scripted ImportOperator.
#include "base/Currency.h"
#include "objdb/DBEngine.h"
#include "objdb/Database.h"
#include "documents/DeliveryLayout.h"
#include "HeadlessGuard.h"
#include "documents/ImportOperator.h"
#include "ShopBuilder.h"
#include "objdb/TableData.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <optional>

Currency eur(const char* text);
QVariant money(const char* text);

// The windows of the import, answered in advance; every showing is logged.
class ScriptedOperator : public ImportOperator {
public:
    // Pick lists: the article of this deposit among those shown ("" the default deposit);
    // nothing set: none is picked.
    std::optional<QString> pickDeposit;
    // Pick lists over a search: the article of this code.
    std::optional<QString> pickCode;
    // The row editor on a new article saves it (with the presets) or is cancelled.
    bool saveNewArticles = false;
    // The row editor on an existing article saves it or is cancelled.
    bool saveEdits = false;
    std::optional<TextSearch> search;

    QStringList log;   // "pick N", "new", "edit CODE at FIELD", "search PRESET"
    QVariantList lastPresets;
    QStringList lastHidden;   // the article fields the last new article's editor could not offer
    int pickedFrom = 0;   // rows the last pick list offered

    std::optional<qint64> pickArticle(TableData& articles) override;
    std::optional<qint64> newArticle(TableData& articles, const QVariantList& presets) override;
    bool editArticle(TableData& articles, const QString& startField) override;
    std::optional<TextSearch> searchText(const QString& caption, const QString& preset, bool inside) override;
};

struct LayoutColumn {
    QString name;
    int position = 0;
    int length = 0;
    char type = 'T';   // 'T' text, 'N' number, 'A' amount
    bool compare = false;
    double tolerance = 0;
};

class ImportShop : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    Database& db() { return m_shop->db(); }
    const QString& path() const { return m_shop->path(); }
    // Lets another process have the file.
    void closeDatabase();
    std::unique_ptr<TableData> select(const QString& table, const QString& condition = QString());

    // An article; `deposit` names a deposit made on first use ("" the default one).
    qint64 addArticle(const QString& code, const QString& description, const char* purchasePrice,
                      const QString& deposit = QString(), double stock = 0);
    double stockOf(qint64 article);
    // A layout of the supplier: fields in this order, selections (position, text, exclude).
    qint64 addLayout(const QList<LayoutColumn>& fields, const QString& filter = kKeepAll,
                     const QList<LineSelection>& selections = {}, bool conversion = false, double coefficient = 0,
                     const QString& sourceFile = QString());
    std::unique_ptr<TableData> layouts();   // the supplier's Tracciati list
    DeliveryLayout layout(qint64 key);

    // A delivery file of these lines (CR LF), or of raw bytes.
    QString writeFile(const QStringList& lines, const QString& name = QStringLiteral("fornitura.txt"));
    QString writeBytes(const QByteArray& bytes, const QString& name = QStringLiteral("fornitura.txt"));

    // A new supply of the supplier, stored, with its rows.
    void openSupply();

    // What the operator was shown, message boxes included, texts alone.
    QStringList prompts() const { return m_ui->prompts(); }
    void answer(const QStringList& answers)
    {
        for (const QString& a : answers) m_ui->addAnswer(a);
    }

    static const QString kKeepAll;   // FilterRow = True
    testenv::HeadlessGuard headless;
    std::shared_ptr<ScriptedUiServices> m_ui = headless.ui;
    ScriptedOperator op;
    qint64 supplier = 0;
    std::unique_ptr<TableData> supply;
    std::unique_ptr<TableData> supplyRows;
    QString dir;

private:
    std::optional<testshop::ShopBuilder> m_shop;
};
