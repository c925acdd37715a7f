#pragma once
// A shop file for the tests of the counter documents: articles with their units and stock,
// customers, suppliers, barcode layouts; the operator's answers given in advance (message
// boxes through a script, the library's dialogs through a scripted DocumentOperator); a
// main window that records the receipts it is asked to print and the code box it is given.
// The settings go to a store in memory and the configuration is put back after each test.
#include "base/Clock.h"
#include "core/seams/CounterServices.h"
#include "base/Currency.h"
#include "objdb/DBEngine.h"
#include "objdb/Database.h"
#include "documents/DocumentOperator.h"
#include "HeadlessGuard.h"
#include "core/seams/MainWindowServices.h"
#include "objdb/Notify.h"
#include "ShopBuilder.h"
#include "objdb/TableData.h"

#include <QString>
#include <QStringList>
#include <deque>
#include <gtest/gtest.h>
#include <memory>
#include <optional>

// Amounts written in the C form ("2.50"); shared with the import tests.
Currency eur(const char* text);
QVariant money(const char* text);

// The library's dialogs, answered in advance; every showing is logged.
class ScriptedDocumentOperator : public DocumentOperator {
public:
    // Pick lists (rows and articles alike): the next key is chosen; 0, or none left, chooses none.
    std::deque<qint64> picks;
    // The row editor on a row saves it, or is cancelled.
    bool saveEdits = true;
    // The row editor on a new row saves it (presets, then these pairs), or is cancelled.
    bool saveNewRows = true;
    QVariantList newRowValues;
    // The one-field editor: the value it saves, or nothing to cancel.
    std::optional<QVariant> fieldValue;
    // The question that beeps: the next answer (none left: No).
    std::deque<bool> beepAnswers;
    QString card;
    std::optional<TextSearch> search;

    QStringList log;   // "pick N of T", "edit T", "new T", "field F", "list T", "beep M", "card"...
    QVariantList lastPresets;   // of the last new row or article
    int lastPickCount = 0;   // rows the last pick list offered

    std::optional<qint64> pickRow(TableData& rows, const QStringList& columns) override;
    std::optional<qint64> editRow(TableData& rows) override;
    std::optional<qint64> newRow(TableData& rows, const QVariantList& presets) override;
    bool editField(TableData& rows, const QString& field) override;
    void showRows(TableData& rows, const QStringList& columns) override;
    bool confirmWithBeep(const QString& message) override;
    QString readCustomerCard() override;
    std::optional<qint64> pickArticle(TableData& articles) override;
    std::optional<qint64> newArticle(TableData& articles, const QVariantList& presets) override;
    bool editArticle(TableData& articles, const QString& startField) override;
    std::optional<TextSearch> searchText(const QString& caption, const QString& preset, bool inside) override;

private:
    std::optional<qint64> nextPick(TableData& rows);
};

// What a main window does for the documents: receipts recorded with the rows they carry and
// whether the sale was already completed when the register was asked; the code box that
// scanned codes go to; status texts and view refreshes.
class RecordingMainWindow : public MainWindowServices, public CounterServices {
public:
    struct Receipt {
        QStringList rows;   // "CODE quantity amount", in the order of the data set handed over
        bool saleCompleted = false;
    };
    bool registerWorks = true;
    std::vector<Receipt> receipts;
    std::shared_ptr<BarcodeTarget> codeBox;
    int codeBoxCalls = 0;
    QStringList status;
    int refreshes = 0;

    QWidget* mainWidget() override { return nullptr; }
    bool OptionsActive() const override { return false; }
    void SetOptionsActive(bool) override { }
    void SetStatusMsg(const QString& text) override { status << text; }
    void ReleaseDatabase() override { }
    void RefreshDetailView() override { ++refreshes; }

    bool Send_Scontrino(TableData& rows) override;
    void SetBarcodeControl(std::shared_ptr<BarcodeTarget> box) override
    {
        codeBox = std::move(box);
        ++codeBoxCalls;
    }
    void SetFiscalPrinter(bool) override { }
    void SetBarcodeReader(bool) override { }
    void SetBalance(bool) override { }
    void mnuPrintLabel_Click() override { }
};

// What the library tells the user: a rule's refusal or warning.
class RefusalSink : public itfNotifyEvent {
public:
    void OnRefusal(const QString&, const QString& message) override { refusals << message; }
    void OnWarning(const QString&, const QString& message) override { warnings << message; }
    QStringList refusals;
    QStringList warnings;
};

// Time that moves on a second each time it is read, as at a real counter where no two
// sales start in the same second (unless a test installs a clock that stands still).
class TickingClock final : public Clock {
public:
    explicit TickingClock(QDateTime start) : m_start(std::move(start)) { }
    QDateTime now() const override { return m_start.addSecs(m_ticks++); }
    int64_t monotonicMs() const override { return m_ticks * 1000; }

private:
    QDateTime m_start;
    mutable int64_t m_ticks = 0;
};

class CounterShop : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    Database& db() { return m_shop->db(); }
    std::unique_ptr<TableData> select(const QString& table, const QString& condition = QString());
    std::unique_ptr<TableData> row(const QString& table, qint64 oid);
    qint64 count(const QString& table, const QString& condition = QString());
    // The key of the row of `table` whose Descrizione (or `field`) is `value`.
    qint64 keyOf(const QString& table, const QString& value, const QString& field = QStringLiteral("Descrizione"));

    // An article priced `price` for sale and `purchase` for purchase, of the unit with that code.
    qint64 addArticle(const QString& code, const char* price, double stock,
                      const QString& unit = QStringLiteral("QntPzz"), const char* purchase = "1.00",
                      const QString& deposit = QString());
    double stockOf(qint64 article);
    qint64 addCustomer(const QString& name, const QString& code, bool collectsPoints, qint64 points = 0);
    qint64 pointsOf(qint64 customer);
    qint64 addSupplier(const QString& name);
    // A barcode layout: the code's first character, where the article code and the amount lie.
    void addBarcodeLayout(const QString& prefix, int codeAt, int codeLength, int amountAt, int amountLength,
                          double coefficient);

    // The settings the documents keep between sales.
    QString setting(const QString& section, const QString& key);
    void setSetting(const QString& section, const QString& key, const QString& value);

    // What the operator was shown (message boxes, input boxes), texts alone; and answers.
    QStringList prompts() const;
    void clearPrompts() { m_ui->clearLog(); }
    void answer(const QStringList& answers)
    {
        for (const QString& a : answers) m_ui->addAnswer(a);
    }
    int beeps() const;

    testenv::HeadlessGuard headless;
    std::shared_ptr<ScriptedUiServices> m_ui = headless.ui;
    // A rule's refusal that a test did not expect fails it.
    RefusalSink sink;
    bool refusalsExpected = false;
    ScriptedDocumentOperator op;
    RecordingMainWindow mainWindow;
    QString dir;

private:
    std::optional<testshop::ShopBuilder> m_shop;
};
