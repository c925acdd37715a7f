#pragma once
// A shop for the counter-device tests: euro amounts, VAT codes with known register
// departments, articles sold by the piece or by weight, sales whose rows carry the amounts
// a test wants, supplies with their load quantities; and a register driver that records
// what it is told and fails where a test says.
#include "ViewShop.h"
#include "RecordingPrinter.h"

#include <QList>
#include <QStringList>

class RegisterShop : public ViewShop {
protected:
    RegisterShop();
    ~RegisterShop() override;

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

    // The texts of the message boxes shown, and every line of the log ("MSGBOX: ...",
    // "STATUS: ...", "BEEP: ").
    QStringList boxes() const;
    QStringList log() const { return prompts->log(); }

    std::shared_ptr<MemorySettingsStore> store = headless.settings;
};

inline void PrintTo(const Currency& c, std::ostream* os) { *os << c.toString().toStdString(); }
