#pragma once
// A shop for the counter-device tests: euro amounts, VAT codes with known register
// departments, articles sold by the piece or by weight, sales whose rows carry the amounts
// a test wants, supplies with their load quantities; and a register driver that records
// what it is told and fails where a test says.
#include "SettingsStore.h"
#include "ViewShop.h"
#include "itfFiscalPrinter.h"

#include <QList>
#include <QStringList>

class CounterShop : public ViewShop {
protected:
    CounterShop();
    ~CounterShop() override;

    // VAT codes "R1" (department 1), "R2" (department 2) and "R0" (no department).
    // Units: "QntPzz" sells whole pieces, "KgPzz" fractions.
    qint64 article(const QString& code, const QString& vat = QStringLiteral("R1"),
                   const QString& unit = QStringLiteral("QntPzz"));

    struct Row {
        QString code;
        double quantity;
        const char* amount;   // the row's amount as the operator left it, C form
    };
    // A stored sale of these rows; the data set of the sale's rows is sale(oid).
    qint64 sell(const QList<Row>& rows);
    std::unique_ptr<TableData> saleRows(qint64 sale);
    std::unique_ptr<TableData> sale(qint64 oid);
    // A stored supply with one row per (code, load quantity).
    qint64 supply(const QList<std::pair<QString, double>>& rows);
    qint64 receiptOf(qint64 sale);

    // The settings the devices read, put back after each test.
    void TearDown() override;

    // The texts of the message boxes shown, and every line of the log ("MSGBOX: ...",
    // "STATUS: ...", "BEEP: ").
    QStringList boxes() const;
    QStringList log() const { return prompts->log(); }

    std::shared_ptr<MemorySettingsStore> store;
};

inline void PrintTo(const Currency& c, std::ostream* os) { *os << c.toString().toStdString(); }

// A register driver that records each call ("NewSession 2", "SendData 12.5 x1 "Pane" 1",
// "EndSession", "CancelSession") and raises a driver error on the SendData of a given row
// of each attempt, or on CancelSession.
class RecordingPrinter final : public itfFiscalPrinter {
public:
    QStringList calls;
    int failAtRow = 0;                  // 0: never
    bool failEveryAttempt = true;       // false: only the first attempt fails
    bool failCancel = false;
    bool failOpen = false;              // NewSession of the first attempt fails
    bool canCancel = true;

    void NewSession(int16_t decimals) override;
    void EndSession() override { calls << QStringLiteral("EndSession"); }
    void CancelSession() override;
    void SendData(Currency price, int16_t quantity, const QString& description, int16_t department) override;
    void SendMessage(const QString& text) override { calls << QStringLiteral("SendMessage ") + text; }
    void SendDisplay(const QString& text) override { calls << QStringLiteral("SendDisplay ") + text; }
    QString FiscalPrinterDescription() const override { return QStringLiteral("Registratore di prova"); }
    void SetParameters(const QVariantList&) override {}
    bool CanCancelSession() const override { return canCancel; }

    // The register's total of the last receipt: the sum of price times quantity.
    Currency lastTotal() const { return m_total; }

private:
    int m_row = 0;
    int m_attempt = 0;
    Currency m_total;
};
