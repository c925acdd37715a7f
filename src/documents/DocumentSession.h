#pragma once
// What the sale and the supply share around their document: the engine transaction a
// document is edited in, the keys remembered in the settings for the next document, and the
// payment step that confirms a document.
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

class DBEngine;
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
// second, and a sale started in the second the last one started must not be refused.
void MoveToFreeSecond(TableData& row, const QString& timeField, const QStringList& others);

// The names that tell the sale's payment step from the supply's.
struct PaymentNames {
    QString section;   // settings section of PagamentoDefault: "Vendite", "Forniture"
    QString total;     // the document's total: "ImportoVendita", "ImportoAcquisto"
    QString party;     // the document's and the payment's reference: "Cliente", "Fornitore"
    QString time;      // the payment's time: "DataPagamento", "DataAcquisto"
};

// The payment step: the payment type (the default one, else the operator's pick), the
// document's one payment row made or brought to the document's total, and that row in the
// row editor. True when the operator confirmed it; the type becomes the default. Cancelled:
// a completed document's payment keeps what it had, a new document's payment row is removed.
[[nodiscard]] bool EditPayment(TableData& document, const PaymentNames& names, DocumentOperator& op);
