#pragma once
// What the sale and the supply share around their document: the engine transaction a
// document is edited in, the keys remembered in the settings for the next document, the
// payment step that confirms a document, and the skeleton both documents are: opened new or
// for changes, edited, confirmed or given up (DocumentSession).
#include "base/Currency.h"
#include "DocumentRows.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

class BarcodeTarget;
class DBEngine;
class Database;
class DocumentOperator;
class TableData;
class TableObject;

// The transaction of one open document: begun when the document opens, committed when it is
// confirmed or given up, rolled back when opening it failed. Only the transaction this object
// began is ever ended by it.
//
// A new document is journalled by the library as open until it is completed, so a crash
// leaves nothing of it behind once the file is opened again; its transaction follows the
// engine's switch (held, it would keep a second counter from selling). An edit of a completed
// document has no such journal: `whole` holds a transaction whatever the switch says, so a
// crash mid-edit leaves the document as it was.
class DocumentTransaction {
public:
    DocumentTransaction() = default;
    ~DocumentTransaction();
    DocumentTransaction(const DocumentTransaction&) = delete;
    DocumentTransaction& operator=(const DocumentTransaction&) = delete;

    void begin(const std::shared_ptr<DBEngine>& engine, bool whole = false);
    void commit();
    void rollback();
    bool isOpen() const { return m_open; }

private:
    std::weak_ptr<DBEngine> m_engine;
    int m_level = 0;
    bool m_open = false;
};

// A row's key (OID) kept as text in the settings: 0 when missing or not a key.
[[nodiscard]] qint64 ReadDefaultKey(const QString& section, const QString& key);
void StoreDefaultKey(const QString& section, const QString& key, qint64 oid);

// The row the operator picks among `candidates`, the preferred one offered first; with
// askAnyway false a preferred row that exists is taken without asking. None when the
// operator picked nothing.
[[nodiscard]] std::optional<qint64> ChooseRow(DocumentOperator& op, TableData& candidates, qint64 preferred,
                                              bool askAnyway);

// The document `oid` of `documents` in a data set of its own, standing on it (no row when
// there is none): the main window's data set keeps its place.
[[nodiscard]] std::unique_ptr<TableData> OpenDocumentRow(TableObject& documents, qint64 oid);

// An open document given up: a completed one keeps what it had before the edit, a new one is
// deleted, and its rows' rules put the stock back.
void GiveUpDocument(TableData* document);

// A new row's time moved on by whole seconds while another row of its table has that time
// and the same `others` (fields, or single references by the row they point to): the
// tables keep one document (and one payment of an amount) per customer or supplier and
// second, and a sale started in the second the last one started must not be refused, nor
// one started at another counter in the same second.
void MoveToFreeSecond(TableData& row, const QString& timeField, const QStringList& others);

// The names that tell the sale's payment step from the supply's.
struct PaymentNames {
    QString section;   // settings section of PagamentoDefault: "Vendite", "Forniture"
    QString total;   // the document's total: "ImportoVendita", "ImportoAcquisto"
    QString party;   // the document's and the payment's reference: "Cliente", "Fornitore"
    QString time;   // the payment's time: "DataPagamento", "DataAcquisto"
};

// The payment step: the payment type (the default one, else the operator's pick), the
// document's one payment row made or brought to the document's total, and that row in the
// row editor. True when the operator confirmed it; the type becomes the default. Cancelled:
// a completed document's payment keeps what it had, a new document's payment row is removed.
[[nodiscard]] bool EditPayment(TableData& document, const PaymentNames& names, DocumentOperator& op);

// A reference a new document asks for (the customer, the supplier, the document type): the
// row remembered in the settings under `defaultKey` is offered first and, unless
// `askAnyway`, taken without asking.
struct DocumentPick {
    QString field;
    QString defaultKey;
    bool askAnyway = false;
};

// What tells one kind of document from the other in the skeleton.
struct DocumentDescription {
    QString table;   // "Vendite", "Forniture"; the settings section of its defaults too
    QString dateField;   // the document's time: "DataVendita", "DataFornitura"
    QString amountField;   // its total: "ImportoVendita", "ImportoAcquisto"
    QString paymentTime;   // its payment's time: "DataPagamento", "DataAcquisto"
    // What a new document asks for, its counterpart ("Cliente", "Fornitore") first.
    QList<DocumentPick> picks;
    // The rows are read into a new data set at every refresh rather than queried again.
    bool rowsReadAnew = false;
    // A completed document confirmed again closes the window instead of opening the next one.
    bool editEndsSession = false;
    struct Texts {
        QString giveUp;   // "Confermi l'annullamento della vendita ?"
        QString noRows;   // confirm refused: no rows
        QString notFound;   // the document to edit is gone
        QString addFailed;   // the title of a new document's failure
        QString editFailed;   // the title of an edit's failure
        QString nextAfterConfirm;   // whether the next document follows a confirmed one; empty: it does
        QString nextAfterCancel;   // the same after one given up
    } texts;

    const QString& counterpart() const { return picks.front().field; }
};
const DocumentDescription& documentDescription(DocumentKind kind);

// One document at a time of the kind `description` tells: started new for the references
// the operator picks, or opened for changes, edited inside one engine transaction (see
// DocumentTransaction), confirmed through the payment step or given up. A derived document
// adds what only it does through the hooks below.
class DocumentSession {
public:
    DocumentSession(Database& db, DocumentOperator& op, DocumentKind kind);
    virtual ~DocumentSession();
    DocumentSession(const DocumentSession&) = delete;
    DocumentSession& operator=(const DocumentSession&) = delete;

    // ---- the window's life -----------------------------------------------------------------
    // Whenever the window is activated: a document open and the code box made the target of
    // scanned codes. False when no document could start: the window unloads.
    [[nodiscard]] virtual bool Activate(std::shared_ptr<BarcodeTarget> codeBox) = 0;
    // Whether the window may close: a new document that has rows is deleted only after the
    // operator confirms, as "&Annulla" asks; No keeps the window open.
    [[nodiscard]] bool QueryClose();
    // The window unloads: the document given up (a new one deleted, an edited one's pending
    // changes dropped), the code box no longer a target, the main window's view refreshed.
    void Unload();

    // ---- the document ------------------------------------------------------------------------
    // A new document for the references picked. False when one was not picked, or it failed
    // (reported).
    [[nodiscard]] bool AddDocument();
    // The document `dataSet` stands on, opened for changes. False when it could not be
    // opened (reported): the window unloads.
    [[nodiscard]] bool EditDocument(TableData* dataSet);
    bool isOpen() const { return m_document != nullptr; }
    bool isEditing() const { return m_editing; }
    TableData* document() const { return m_document.get(); }
    TableData* rows() const { return m_rows.get(); }
    DocumentRows& rowEntry() { return m_rowEntry; }
    // While a confirmed document is being completed (its receipt sent), nothing else is done.
    bool busy() const { return m_busy; }

    // Reads the rows again, standing on `row` (0: the first).
    void Refresh_Articoli(qint64 row = 0);

    // What the rows add up to, shown below them.
    struct Totals {
        Currency total;
        Currency convertedTotal;   // in the second currency, when there is one
        QString convertedName;   // its name, empty without one
    };
    [[nodiscard]] Totals totals() const;
    // What every document window shows above and below the rows.
    struct Header : Totals {
        QString counterpart;
        QDateTime date;
        QString note;
    };

    // ---- header commands ---------------------------------------------------------------------
    // "..." beside the counterpart: another one picked. True when it changed.
    bool SetCounterpart();
    // "..." beside the date: the date and time edited. True when it changed.
    bool SetDate();
    void SetNote(const QString& note);

    // ---- confirm and cancel --------------------------------------------------------------------
    enum class After {
        Stay,   // the document stays open as it is
        Next,   // done, and a new document is open
        Unload,   // the window unloads
    };
    After Confirm();
    After Cancel();

protected:
    // The header's common part filled.
    void fillHeader(Header& h) const;
    // The header's reference `field` set to the row the operator picks among `candidates`.
    bool setReference(const QString& field, TableData& candidates);
    // The code box as the target of scanned codes until the window unloads.
    void registerCodeBox(std::shared_ptr<BarcodeTarget> codeBox);
    // The references picked remembered as the next document's defaults.
    void storeDefaults();
    // The payment step of the document (see EditPayment).
    [[nodiscard]] bool editPayment();
    // The document given up (see GiveUpDocument) and its transaction ended.
    void Release();
    int message(const QString& text, int flags) const;

    // ---- hooks -------------------------------------------------------------------------------
    // A new document is about to start; `afterEdit`: the document before it was an edit.
    virtual void startingNew(bool afterEdit) { (void)afterEdit; }
    // A new row's own fields, after the references picked.
    virtual void fillNew(TableData& row) { (void)row; }
    // The document opened for changes; and the same failed.
    virtual void editOpened() { }
    virtual void editFailed() { }
    // The rows were read again or the header changed: what the document shows follows.
    virtual void documentShown() { }
    // The document is no longer held (given up, failed or confirmed).
    virtual void documentDropped() { }
    // The document and its rows (null: none) handed to what works on them.
    virtual void bindRows();
    // Confirm: a check before anything is stored (false: the document stays open); the
    // document completed (false: it stays open); after its transaction was committed; a
    // failure on the way; and, the document done, before the next one.
    virtual bool readyToConfirm() { return true; }
    virtual bool complete() = 0;
    virtual void completed() { }
    virtual void confirmFailed() { }
    virtual void afterConfirm() { }

    Database& m_db;
    DocumentOperator& m_op;
    const DocumentDescription& m_description;
    DocumentRows m_rowEntry;
    DocumentTransaction m_transaction;
    std::unique_ptr<TableData> m_document;
    std::unique_ptr<TableData> m_rows;
    bool m_editing = false;
    bool m_busy = false;

private:
    void show();
    void drop();

    bool m_codeBoxRegistered = false;
};
