#pragma once
// The main window itself over a small shop, offscreen: the shop database open in the
// program's globals (euro amounts, VAT codes with register departments), rows made through
// the table rules at the test clock's time, a node of the tree shown, and the grid's rows and
// selection read back as the operator sees them.
#include "mainwindow/LabelPrinting.h"
#include "MainWindowShop.h"
#include "operations/ReceiptService.h"
#include <QList>
#include <memory>
#include <utility>
#include <vector>

class frmMain;

class ShopWindow : public MainWindowShop {
protected:
    ShopWindow();
    ~ShopWindow() override;
    void TearDown() override;

    // The shop open with `operatorName` logged in.
    void start(const QString& operatorName = QStringLiteral("Amministratore"));
    // The window, shown; built once (`receipts` and `labels` go to its counter devices).
    frmMain& window(ReceiptService receipts = ReceiptService(), LabelPrinting labels = LabelPrinting());
    // Selects the tree node of `key`, as a click does (its view is shown).
    void showNode(const QString& key);

    qint64 customer(const QString& name, const QString& code, const QString& city = QString());
    qint64 article(const QString& code, const QString& description, const char* price,
                   const QString& vat = QStringLiteral("R1"));
    struct Line {
        QString code;
        double quantity;
        const char* amount;   // C form
    };
    // A sale of these lines, dated now; the clock then moves on a minute.
    qint64 sale(const QList<Line>& lines, qint64 customerOid = 0, bool completed = true);
    // A supply of (code, load quantity) rows, dated now.
    qint64 supply(const QList<std::pair<QString, double>>& rows);

    // The grid's rows read so far: the texts of one column, the keys, and the selection.
    QStringList column(const QString& field) const;
    std::vector<qint64> gridOids() const;
    void selectRows(const std::vector<qint64>& oids);
    void setCurrentRow(qint64 oid);
    // Lets queued events (the grid's reads, the deferred commands) run for `ms`.
    static void settle(int ms = 30);

    std::unique_ptr<frmMain> m_window;
};

Currency money(const char* text);
