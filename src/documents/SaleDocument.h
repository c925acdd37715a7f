#pragma once
// The counter's sale, without its window: one sale at a time (a row of Vendite with its
// rows, payment and vouchers), started for the default or a picked customer, edited inside
// one engine transaction, and carried through confirmation: vouchers and rows checked, the
// payment step, the sale completed, its fiscal receipt through the main window's receipt
// service, the printed receipt's copies, the default customer, the move to the backup
// archive, and the next sale at once. A register or printer that fails never undoes the
// sale: the operator is told which document is missing.
//
// The window (frmVendite) shows what header() returns and hands over the operator's clicks;
// what the operator chooses in the library's dialogs comes through the DocumentOperator,
// questions and messages through ui().
#include "base/Currency.h"
#include "DocumentRows.h"
#include "DocumentSession.h"
#include "SalePoints.h"

#include <QDateTime>
#include <QString>
#include <functional>
#include <memory>

class Database;
class DocumentOperator;
class PrintTarget;
class BarcodeTarget;
class TableData;

class SaleDocument {
public:
    SaleDocument(Database& db, DocumentOperator& op);
    ~SaleDocument();
    SaleDocument(const SaleDocument&) = delete;
    SaleDocument& operator=(const SaleDocument&) = delete;

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
    [[nodiscard]] bool Activate(std::shared_ptr<BarcodeTarget> codeBox);
    // Whether the window may close. A new sale that has rows is deleted only after the
    // operator confirms, as "&Annulla" asks; No keeps the window open.
    [[nodiscard]] bool QueryClose();
    // The window unloads: the sale given up (a new one deleted, an edited one's pending
    // changes dropped), the code box no longer a target, the main window's view refreshed.
    void Unload();

    // ---- the sale ------------------------------------------------------------------------
    // A new sale for the default customer (ClienteDefault of "Vendite"), or for the one the
    // operator picks when there is none. False when none was picked or it failed.
    [[nodiscard]] bool Add_Vendita();
    // The sale that `dataSet` (over Vendite) stands on, opened for changes. It is not sent
    // to the register again unless the operator ticks "Scontrino [F4]". False when it could
    // not be opened (reported): the window unloads.
    [[nodiscard]] bool Edit_Vendita(TableData* dataSet);
    bool isOpen() const { return m_sale != nullptr; }
    bool isEditing() const { return m_editing; }
    TableData* sale() const { return m_sale.get(); }
    TableData* rows() const { return m_rows.get(); }
    DocumentRows& rowEntry() { return m_rowEntry; }
    SalePoints& points() { return m_points; }

    // Reads the rows again, standing on `row` (0: the first).
    void Refresh_Articoli(qint64 row = 0);

    // What the window shows of the sale.
    struct Header {
        QString customer;
        QDateTime date;
        QString note;
        Currency total;
        Currency vouchers;
        bool vouchersAboveTotal = false;   // the vouchers' total drawn in red
        Currency convertedTotal;           // in the second currency, when there is one
        QString convertedName;             // its name, empty without one
        bool pointsShown = false;
        QString pointsText;
        bool prizeEnabled = false;
        bool openVouchers = false;         // the voucher button blinks
        bool saleVouchers = false;         // the sale's vouchers button is bold
    };
    [[nodiscard]] Header header();

    // ---- header commands -------------------------------------------------------------------
    // "..." beside the customer (F6): another customer picked. True when it changed.
    bool SetCustomer();
    // "..." beside the date: the date and time edited. True when it changed.
    bool SetDate();
    void SetNote(const QString& note);

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
    bool busy() const { return m_busy; }

    // ---- confirm and cancel ------------------------------------------------------------------
    enum class After {
        Stay,       // the sale stays open as it is
        NextSale,   // the sale is done and a new one is open
        Unload,     // the window unloads
    };
    After Confirm();
    After Cancel();

private:
    void Show_Vendita();
    void Release_Vendita();
    bool Edit_Pagamento();
    void applyFiscalRule();
    void sendFiscalReceipt();
    void printReceipts();
    bool printCopy(TableData& saleSet, TableData& receipts);
    void bindRows();
    void setSending(bool sending);

    Database& m_db;
    DocumentOperator& m_op;
    DocumentRows m_rowEntry;
    SalePoints m_points;
    DocumentTransaction m_transaction;
    std::unique_ptr<TableData> m_sale;
    std::unique_ptr<TableData> m_rows;
    std::function<std::shared_ptr<PrintTarget>()> m_receiptTarget;
    std::function<void(bool)> m_receiptSignal;
    bool m_codeBoxRegistered = false;
    bool m_editing = false;
    bool m_fiscalRecord = true;
    bool m_fiscalForNewSales = true;   // the operator's choice, put back once an edited sale is done
    bool m_printReceipt = false;
    bool m_backupMark = false;
    bool m_moveAllWithoutFiscal = false;
    bool m_sendingReceipt = false;
    bool m_busy = false;
};
