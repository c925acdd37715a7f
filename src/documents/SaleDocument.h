#pragma once
// The counter's sale, without its window: one sale at a time (a row of Vendite with its
// rows, payment and vouchers), started for the default or a picked customer, edited inside
// one engine transaction, and carried through confirmation: vouchers and rows checked, the
// payment step, the sale completed, its fiscal receipt through the main window's receipt
// service, the printed receipt's copies, the default customer, the move to the backup
// archive, and the next sale at once. What it shares with the supply is DocumentSession's. A register or printer that fails never undoes the
// sale: the operator is told which document is missing.
//
// The window (frmVendite) shows what header() returns and hands over the operator's clicks;
// what the operator chooses in the library's dialogs comes through the DocumentOperator,
// questions and messages through ui().
#include "base/Currency.h"
#include "DocumentSession.h"
#include "SalePoints.h"

#include <QString>
#include <functional>
#include <memory>

class Database;
class DocumentOperator;
class PrintTarget;
class BarcodeTarget;
class TableData;

class SaleDocument : public DocumentSession {
public:
    SaleDocument(Database& db, DocumentOperator& op);

    // Told when the fiscal receipt starts and stops being sent (the window shows "Stampa in
    // corso..." meanwhile).
    void setReceiptSignal(std::function<void(bool sending)> signal) { m_receiptSignal = std::move(signal); }
    // Where the printed receipts go; by default the receipt printer of the settings.
    void setReceiptTarget(std::function<std::shared_ptr<PrintTarget>()> target) { m_receiptTarget = std::move(target); }

    // ---- the window's life -----------------------------------------------------------------
    // At load: the fiscal receipt ticked, the printed receipt not, the archive option from the
    // window's settings.
    void Load();
    // Whenever the window is activated: a new sale when none is open, and the code box made
    // the target of scanned codes. False when no sale could start: the window unloads.
    [[nodiscard]] bool Activate(std::shared_ptr<BarcodeTarget> codeBox) override;

    // ---- the sale ------------------------------------------------------------------------
    // A new sale for the default customer (ClienteDefault of "Vendite"), or for the one the
    // operator picks when there is none. False when none was picked or it failed.
    [[nodiscard]] bool Add_Vendita() { return AddDocument(); }
    // The sale that `dataSet` (over Vendite) stands on, opened for changes. It is not sent
    // to the register again unless the operator ticks "Scontrino [F4]". False when it could
    // not be opened (reported): the window unloads.
    [[nodiscard]] bool Edit_Vendita(TableData* dataSet) { return EditDocument(dataSet); }
    TableData* sale() const { return document(); }
    SalePoints& points() { return m_points; }

    // What a row command changes of what the window shows: the totals, the vouchers' total
    // against them and the points, shown as the sale was last shown whole (a customer who
    // collects points still does). Only the points are read anew.
    struct Amounts : DocumentSession::Totals {
        Currency vouchers;
        bool vouchersAboveTotal = false;   // the vouchers' total drawn in red
        bool pointsShown = false;
        QString pointsText;
    };
    [[nodiscard]] Amounts amounts();
    // What the window shows of the sale.
    struct Header : DocumentSession::Header {
        Currency vouchers;
        bool vouchersAboveTotal = false;   // the vouchers' total drawn in red
        bool pointsShown = false;
        QString pointsText;
        bool prizeEnabled = false;
        bool openVouchers = false;   // the voucher button blinks
        bool saleVouchers = false;   // the sale's vouchers button is bold
    };
    [[nodiscard]] Header header();

    // "..." beside the customer (F6): another customer picked. True when it changed.
    bool SetCustomer() { return SetCounterpart(); }

    // ---- the receipts and the archive mark ------------------------------------------------------
    bool fiscalRecord() const { return m_fiscalRecord; }
    bool fiscalRecordEnabled() const;
    // "Scontrino [F4]" ticked or not; unticked marks the sale for the archive when every sale
    // without a fiscal receipt goes there.
    void SetFiscalRecord(bool ticked);
    bool printReceipt() const { return m_printReceipt; }
    bool printReceiptVisible() const;
    // "Ricevuta [F3]": a printed receipt takes the place of the fiscal one.
    void SetPrintReceipt(bool ticked);
    // The sale's mark for the backup archive. Refused, with the reason shown, when saving to
    // the backup is not set up. True when the mark is now as asked.
    bool SetBackupMoveSignal(bool on);
    bool backupMark() const { return m_backupMark; }
    // The mark's menu: switch the mark (F7 while it is on).
    void ToggleBackupMove();
    bool moveAllWithoutFiscal() const { return m_moveAllWithoutFiscal; }
    bool backupMoveMenuEnabled() const { return !m_moveAllWithoutFiscal; }
    // Every sale without a fiscal receipt to the archive: kept in the window's settings.
    void SetMoveAllWithoutFiscal(bool on);
    // While the fiscal receipt is being sent ("Stampa in corso..." shown), scanned codes are
    // not taken.
    bool sendingReceipt() const { return m_sendingReceipt; }

protected:
    void startingNew(bool afterEdit) override;
    void editOpened() override;
    void editFailed() override;
    void documentShown() override;
    void bindRows() override;
    bool readyToConfirm() override;
    bool complete() override;
    void completed() override;
    void confirmFailed() override;
    void afterConfirm() override;

private:
    void applyFiscalRule();
    void sendFiscalReceipt();
    void printReceipts();
    bool printCopy(TableData& saleSet, TableData& receipts);
    void setSending(bool sending);

    SalePoints m_points;
    std::function<std::shared_ptr<PrintTarget>()> m_receiptTarget;
    std::function<void(bool)> m_receiptSignal;
    bool m_fiscalRecord = true;
    bool m_fiscalForNewSales = true;   // the operator's choice, put back once an edited sale is done
    bool m_printReceipt = false;
    bool m_backupMark = false;
    bool m_moveAllWithoutFiscal = false;
    bool m_sendingReceipt = false;
};
