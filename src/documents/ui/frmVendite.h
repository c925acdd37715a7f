#pragma once
// "Vendita Articoli": the counter's sale window. It holds one sale at a time: the customer,
// date, note, totals, points and vouchers above, the rows in the middle, the receipts'
// options, confirm and cancel below. The sale's logic is SaleDocument's (and SalePoints' for
// the loyalty features); the row entry and the window's life around the sale are
// DocumentForm's. The window shows what the document answers and hands over the operator's
// clicks and keys.
#include "DocumentForm.h"
#include "documents/SaleDocument.h"

#include <memory>

class Database;
class DocumentOperator;
class QAction;
class SaleLoyaltyControls;

class frmVendite : public DocumentForm {
    Q_OBJECT
public:
    // `op` answers the library's dialogs; none: the library's own windows over this one.
    explicit frmVendite(Database& db, QWidget* owner = nullptr, DocumentOperator* op = nullptr);
    ~frmVendite() override;

    // The main window's new sale (sale null) or view/edit of the sale `sale` stands on: the
    // one sale window, run until it closes. With a sale window already open, nothing.
    static void Open(QWidget* owner, TableData* sale = nullptr) { openOne<frmVendite>(owner, sale); }
    static frmVendite* Instance() { return openedOne<frmVendite>(); }

    SaleDocument& document() { return *m_doc; }
    SaleLoyaltyControls& loyalty() { return *m_loyalty; }

    void cmdSet_DataOra_Click();   // "..." beside the date
    void chkFiscalRecord_Click();   // F4
    void chkPrint_Ricevute_Click();   // F3
    void mnuMoveToBackup_Click();   // F7 while the mark is on
    void mnuMoveAllWithoutFiscal_Click();
    void cmdPremium_Click();
    void cmdBuoni_Click();
    void cmdBuoniVendita_Click();
    void cmdReadCard_Click();   // F9

    // The header as the sale has it now.
    void showHeader() override;

protected:
    bool formCommand(RowKeyCommand command) override;
    bool codesAccepted() const override { return !m_doc->sendingReceipt(); }
    bool backupMarkOn() const override { return m_doc->backupMark(); }
    QStringList hiddenColumns() const override;
    void rowsChanged() override;
    void rowsEdited() override;
    void selectedRowChanged() override;
    void documentComing() override;
    void showDocument() override;
    void documentClosed() override;
    void confirmEnded() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build();
    void Load();
    void showOptions();
    void showVouchersTotal(Currency vouchers, bool aboveTotal);

    std::unique_ptr<SaleDocument> m_doc;
    SaleLoyaltyControls* m_loyalty = nullptr;

    QLineEdit* m_txtCliente = nullptr;
    QPushButton* m_cmdSet_Cliente = nullptr;
    QLineEdit* m_txtDataOra = nullptr;
    QPushButton* m_cmdSet_DataOra = nullptr;
    QLineEdit* m_txtNote = nullptr;
    QCheckBox* m_chkFiscalRecord = nullptr;
    QCheckBox* m_chkPrint_Ricevute = nullptr;
    QLabel* m_lblFiscalMsg = nullptr;
    QLabel* m_lblSottoScorta = nullptr;
    QLabel* m_lblReso = nullptr;
    QLabel* m_lblMuoviBackup = nullptr;
    QMenu* m_mnuOptionMove = nullptr;
    QAction* m_mnuMoveToBackup = nullptr;
    QAction* m_mnuMoveAllWithoutFiscal = nullptr;
};
