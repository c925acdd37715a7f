#include "DocumentSession.h"

#include "base/AppError.h"
#include "core/seams/CounterServices.h"
#include "objdb/DBEngine.h"
#include "objdb/Database.h"
#include "DocumentOperator.h"
#include "core/lifecycle/ErrorReporting.h"
#include "core/seams/MainWindowServices.h"
#include "base/SettingsStore.h"
#include "core/helpers/SystemHelpers.h"
#include "objdb/TableData.h"
#include "objdb/TableObject.h"
#include "base/UiServices.h"

#include <QDateTime>

namespace {
const QString kPagamento = QStringLiteral("Pagamento");
const QString kPagamentoDefault = QStringLiteral("PagamentoDefault");
const QString kRowsList = QStringLiteral("Articoli");
const QString kCompletato = QStringLiteral("Completato");
const QString kDescrizione = QStringLiteral("Descrizione");
}   // namespace

// ---- transaction -------------------------------------------------------------------------------------

DocumentTransaction::~DocumentTransaction()
{
    try {
        commit();
    } catch (...) {
        // A document given up while the file is gone: nothing is left to keep.
    }
}

void DocumentTransaction::begin(const std::shared_ptr<DBEngine>& engine, bool whole)
{
    commit();
    m_engine = engine;
    m_open = true;
    m_level = 0;
    if (!engine) return;
    const int before = engine->TransactionLevel();
    if (whole)
        engine->BeginWholeTransaction();
    else
        engine->BeginTransaction();
    // With transactions switched off the engine opens none: there is nothing to end later.
    if (engine->TransactionLevel() > before) m_level = engine->TransactionLevel();
}

void DocumentTransaction::commit()
{
    if (!m_open) return;
    m_open = false;
    const auto engine = m_engine.lock();
    if (engine && m_level > 0 && engine->TransactionLevel() == m_level) engine->CommitTransaction();
    m_level = 0;
}

void DocumentTransaction::rollback()
{
    if (!m_open) return;
    m_open = false;
    const auto engine = m_engine.lock();
    if (engine && m_level > 0 && engine->TransactionLevel() == m_level) engine->RollbackTransaction();
    m_level = 0;
}

// ---- default keys ------------------------------------------------------------------------------------

qint64 ReadDefaultKey(const QString& section, const QString& key)
{
    bool ok = false;
    const qint64 oid = settingsStore().get(section, key, QString()).trimmed().toLongLong(&ok);
    return ok && oid > 0 ? oid : 0;
}

void StoreDefaultKey(const QString& section, const QString& key, qint64 oid)
{
    settingsStore().set(section, key, oid ? QString::number(oid) : QString());
}

// ---- documents in the same second ---------------------------------------------------------------------

void MoveToFreeSecond(TableData& row, const QString& timeField, const QStringList& others)
{
    // From the row's time on, the first second no other stored row of the same counterpart
    // holds.
    auto freeSecond = [timeField, others](TableData& r) -> QVariant {
        TableObject& table = *r.GetTable();
        QStringList same;
        for (const QString& name : others)
            same << (table.GetReference(name) ? table.BuildReferenceCondition(name, r.GetReferenceOID(name))
                                              : table.BuildFieldCondition(name, r.GetValue(name)));
        same << QStringLiteral("OID <> ") + QString::number(r.GetOID());
        QDateTime time = r.GetValue(timeField).toDateTime();
        if (!time.isValid()) return r.GetValue(timeField);
        for (;;) {
            const QString condition = table.BuildFieldCondition(timeField, time) + QStringLiteral(" AND ")
                + same.join(QStringLiteral(" AND "));
            if (table.Select(condition)->IsEmpty()) return time;
            time = time.addSecs(1);
        }
    };
    const QVariant time = freeSecond(row);
    if (!time.toDateTime().isValid()) return;
    // Another counter may take the same second before this row is stored: the write that
    // finds it taken looks again.
    row.TakeNumber(timeField, time, freeSecond, TableData::TakeAgain::OnCollision);
}

// ---- the open document ---------------------------------------------------------------------------------

std::optional<qint64> ChooseRow(DocumentOperator& op, TableData& candidates, qint64 preferred, bool askAnyway)
{
    const bool found = preferred && candidates.MoveToOID(preferred);
    if (found && !askAnyway) return preferred;
    if (!found) candidates.MoveFirst();
    const std::optional<qint64> picked = op.pickRow(candidates, {QStringLiteral("Descrizione")});
    if (!picked || *picked == 0) return std::nullopt;
    return picked;
}

std::unique_ptr<TableData> OpenDocumentRow(TableObject& documents, qint64 oid)
{
    auto document = documents.Select(documents.BuildKeyCondition(oid));
    document->MoveFirst();
    return document;
}

void GiveUpDocument(TableData* document)
{
    if (!document || document->HasNoCurrentRow()) return;
    if (document->GetBoolValue(QStringLiteral("Completato")))
        document->CancelUpdate();
    else
        document->DeleteRow();
}

// ---- payment -------------------------------------------------------------------------------------------

bool EditPayment(TableData& document, const PaymentNames& names, DocumentOperator& op)
{
    Database& db = *document.GetDatabase();
    auto types = db.Tables().Item(QStringLiteral("TipiPagamento"))->Select();
    const std::optional<qint64> type = ChooseRow(op, *types, ReadDefaultKey(names.section, kPagamentoDefault), false);
    if (!type) return false;

    auto payments = document.GetReference(kPagamento);
    const QVariant total = QVariant::fromValue(document.GetCurrencyValue(names.total));
    qint64 payment = 0;
    if (payments->IsEmpty()) {
        payments->NewRow();
        payments->SetValue(QStringLiteral("Importo"), total);
        payments->SetReferenceOID(names.party, document.GetReferenceOID(names.party));
        payments->SetReferenceOID(kPagamento, *type);
        MoveToFreeSecond(*payments, names.time, {names.party, QStringLiteral("Importo")});
        payments->Update();
        payment = payments->GetOID();
        document.Update();
    } else {
        // The payment follows the total, whatever it was when it was first made.
        payments->MoveFirst();
        payments->SetValue(QStringLiteral("Importo"), total);
        payment = payments->GetOID();
    }

    const std::optional<qint64> edited = op.editRow(*payments);
    if (!edited) {
        if (document.GetBoolValue(QStringLiteral("Completato"))) {
            if (payments->MoveToOID(payment)) payments->CancelUpdate();
        } else {
            document.RemoveFromList(kPagamento, payment);
        }
        return false;
    }
    if (payments->MoveToOID(payment))
        StoreDefaultKey(names.section, kPagamentoDefault, payments->GetReferenceOID(kPagamento));
    return true;
}

// ---- the document skeleton -------------------------------------------------------------------------------

const DocumentDescription& documentDescription(DocumentKind kind)
{
    static const DocumentDescription sale {
        .table = QStringLiteral("Vendite"),
        .dateField = QStringLiteral("DataVendita"),
        .amountField = QStringLiteral("ImportoVendita"),
        .paymentTime = QStringLiteral("DataPagamento"),
        .picks = {{QStringLiteral("Cliente"), QStringLiteral("ClienteDefault"), false}},
        .texts = {.giveUp = QStringLiteral("Confermi l'annullamento della vendita ?"),
                  .noRows = QStringLiteral("Nessun articolo\r\rDevi inserire gli articoli della vendita..."),
                  .notFound = QStringLiteral("Vendita non trovata"),
                  .addFailed = QStringLiteral("Impossibile aggiungere la vendita"),
                  .editFailed = QStringLiteral("Impossibile modificare la Vendita"),
                  // The next sale follows at once, whatever ended the one before.
                  .nextAfterConfirm = QString(),
                  .nextAfterCancel = QString()}};
    static const DocumentDescription supply {
        .table = QStringLiteral("Forniture"),
        .dateField = QStringLiteral("DataFornitura"),
        .amountField = QStringLiteral("ImportoAcquisto"),
        .paymentTime = QStringLiteral("DataAcquisto"),
        .picks = {{QStringLiteral("Fornitore"), QStringLiteral("FornitoreDefault"), true},
                  {QStringLiteral("TipoDocumento"), QStringLiteral("TipoDocDefault"), false}},
        .rowsReadAnew = true,
        .editEndsSession = true,
        .texts
        = {.giveUp = QStringLiteral("Confermi l'annullamento della Fornitura ?"),
           .noRows = QStringLiteral("Nessun articolo\r\rDevi inserire gli articoli della Fornitura..."),
           .notFound = QStringLiteral("Fornitura non trovata"),
           .addFailed = QStringLiteral("Impossibile aggiungere la fornitura"),
           .editFailed = QStringLiteral("Impossibile modificare la fornitura"),
           .nextAfterConfirm = QStringLiteral("Operazione confermata.\r\rVuoi effettuare una nuova Fornitura ?"),
           .nextAfterCancel = QStringLiteral("Annullamento effettuato.\r\rVuoi effettuare una nuova Fornitura ?")}};
    return kind == DocumentKind::Sale ? sale : supply;
}

DocumentSession::DocumentSession(Database& db, DocumentOperator& op, DocumentKind kind)
    : m_db(db), m_op(op), m_description(documentDescription(kind)), m_rowEntry(kind, op)
{ }

// The derived document's part is gone by now: what it adds to giving up is not called.
DocumentSession::~DocumentSession()
{
    try {
        std::unique_ptr<TableData> document = std::move(m_document);
        m_rows.reset();
        m_rowEntry.bind(nullptr, nullptr);
        GiveUpDocument(document.get());
        m_transaction.commit();
    } catch (...) {
        // The window is gone: what could not be released stays as the file has it.
    }
}

int DocumentSession::message(const QString& text, int flags) const { return ui().msgBox(text, flags, AppTitle()); }

void DocumentSession::registerCodeBox(std::shared_ptr<BarcodeTarget> codeBox)
{
    if (CounterServices* counter = counterServices()) {
        counter->SetBarcodeControl(std::move(codeBox));
        m_codeBoxRegistered = true;
    }
}

bool DocumentSession::QueryClose()
{
    if (!m_document || m_document->HasNoCurrentRow() || m_document->GetBoolValue(kCompletato) || !m_rows
        || m_rows->IsEmpty())
        return true;
    return message(m_description.texts.giveUp, int(Msg::YesNo) + Msg::Question) == Msg::Yes;
}

void DocumentSession::Unload()
{
    try {
        Release();
    } catch (...) {
        ShowErrorDetails(QStringLiteral("Errore in annullamento dati: \r\r") + CurrentError().description);
    }
    if (CounterServices* counter = counterServices(); counter && m_codeBoxRegistered)
        counter->SetBarcodeControl(nullptr);
    m_codeBoxRegistered = false;
    if (MainWindowServices* mw = mainWindowServices()) mw->RefreshDetailView();
}

bool DocumentSession::AddDocument()
{
    const bool afterEdit = m_editing;
    m_editing = false;
    startingNew(afterEdit);
    m_transaction.begin(m_db.GetEngine());
    try {
        TableObject& table = *m_db.Tables().Item(m_description.table);
        auto documents = table.Select(QStringLiteral("OID = 0"));
        QList<qint64> picked;
        for (const DocumentPick& pick : m_description.picks) {
            auto candidates = documents->GetReferenceTable(pick.field);
            const std::optional<qint64> row
                = ChooseRow(m_op, *candidates, ReadDefaultKey(m_description.table, pick.defaultKey), pick.askAnyway);
            if (!row) {
                m_transaction.rollback();
                return false;
            }
            picked << *row;
        }
        documents->NewRow();
        for (qsizetype i = 0; i < picked.size(); ++i)
            documents->SetReferenceOID(m_description.picks[i].field, picked[i]);
        fillNew(*documents);
        documents->SetValue(m_description.amountField, QVariant::fromValue(Currency()));
        MoveToFreeSecond(*documents, m_description.dateField, {m_description.counterpart()});
        documents->Update();
        m_document = OpenDocumentRow(table, documents->GetOID());
        show();
        return true;
    } catch (...) {
        const AppError e = CurrentError();
        drop();
        m_transaction.rollback();
        ShowErrorDetails(e, m_description.texts.addFailed);
        return false;
    }
}

bool DocumentSession::EditDocument(TableData* dataSet)
{
    if (!dataSet || dataSet->HasNoCurrentRow()) return true;
    if (m_document) Release();
    m_transaction.begin(m_db.GetEngine(), true);
    try {
        m_document = OpenDocumentRow(*m_db.Tables().Item(m_description.table), dataSet->GetOID());
        if (m_document->HasNoCurrentRow())
            throw AppError::object(AppError::kGenericCode, AppTitle(), m_description.texts.notFound);
        m_editing = true;
        editOpened();
        show();
        return true;
    } catch (...) {
        const AppError e = CurrentError();
        drop();
        m_editing = false;
        editFailed();
        m_transaction.rollback();
        ShowErrorDetails(e, m_description.texts.editFailed);
        return false;
    }
}

void DocumentSession::show()
{
    Refresh_Articoli();
    documentShown();
}

void DocumentSession::bindRows() { m_rowEntry.bind(m_document.get(), m_rows.get()); }

void DocumentSession::Refresh_Articoli(qint64 row)
{
    if (!m_document) return;
    if (!m_rows || m_description.rowsReadAnew) {
        m_rows = m_document->GetReference(kRowsList);
        bindRows();
    } else {
        m_rows->Requery();
    }
    if (row == 0 || !m_rows->MoveToOID(row)) m_rows->MoveFirst();
}

void DocumentSession::drop()
{
    documentDropped();
    m_rows.reset();
    m_document.reset();
    bindRows();
}

void DocumentSession::Release()
{
    std::unique_ptr<TableData> document = std::move(m_document);
    documentDropped();
    m_rows.reset();
    bindRows();
    GiveUpDocument(document.get());
    m_transaction.commit();
}

void DocumentSession::fillHeader(Header& h) const
{
    auto counterpart = m_document->GetReference(m_description.counterpart());
    h.counterpart = counterpart->IsEmpty() ? QString() : counterpart->GetText(kDescrizione);
    h.date = m_document->GetValue(m_description.dateField).toDateTime();
    h.note = m_document->GetValue(QStringLiteral("Note")).toString();
    static_cast<Totals&>(h) = totals();
}

DocumentSession::Totals DocumentSession::totals() const
{
    Totals t;
    if (!m_document || m_document->HasNoCurrentRow()) return t;
    t.total = m_document->GetCurrencyValue(m_description.amountField);
    if (const auto conversion = m_db.ConversionCurrency()) {
        t.convertedName = conversion->Name();
        t.convertedTotal = m_db.ConvertAmount(t.total, true);
    }
    return t;
}

// ---- header commands ---------------------------------------------------------------------------------

bool DocumentSession::SetCounterpart()
{
    const QString& field = m_description.counterpart();
    return m_document && setReference(field, *m_document->GetReferenceTable(field));
}

bool DocumentSession::setReference(const QString& field, TableData& candidates)
{
    const std::optional<qint64> picked = ChooseRow(m_op, candidates, m_document->GetReferenceOID(field), true);
    if (!picked) return false;
    m_document->SetReferenceOID(field, *picked);
    show();
    return true;
}

bool DocumentSession::SetDate()
{
    if (!m_document || !m_op.editField(*m_document, m_description.dateField)) return false;
    show();
    return true;
}

void DocumentSession::SetNote(const QString& note)
{
    if (m_document) m_document->SetValue(QStringLiteral("Note"), note);
}

void DocumentSession::storeDefaults()
{
    for (const DocumentPick& pick : m_description.picks)
        StoreDefaultKey(m_description.table, pick.defaultKey, m_document->GetReferenceOID(pick.field));
}

bool DocumentSession::editPayment()
{
    const PaymentNames names {m_description.table, m_description.amountField, m_description.counterpart(),
                              m_description.paymentTime};
    return EditPayment(*m_document, names, m_op);
}

// ---- confirm and cancel --------------------------------------------------------------------------------

DocumentSession::After DocumentSession::Confirm()
{
    if (!m_document || m_busy) return After::Stay;
    bool edited = false;
    try {
        if (!readyToConfirm()) return After::Stay;
        m_document->Update();
        if (m_rows->IsEmpty()) {
            message(m_description.texts.noRows, int(Msg::OKOnly) + Msg::Exclamation);
            return After::Stay;
        }
        edited = m_document->GetBoolValue(kCompletato);
        if (!complete()) return After::Stay;
        m_transaction.commit();
        completed();
        drop();
        m_busy = false;
    } catch (...) {
        // The window unloads, and giving the document up settles what is open.
        const AppError e = CurrentError();
        m_busy = false;
        confirmFailed();
        ShowErrorDetails(e, QStringLiteral("Errore in conferma dati: \r\r") + e.description);
        return After::Unload;
    }
    afterConfirm();
    if (edited && m_description.editEndsSession) return After::Unload;
    ui().beep();
    if (!m_description.texts.nextAfterConfirm.isEmpty()
        && message(m_description.texts.nextAfterConfirm, int(Msg::OKCancel) + Msg::Question) != Msg::OK)
        return After::Unload;
    return AddDocument() ? After::Next : After::Unload;
}

DocumentSession::After DocumentSession::Cancel()
{
    if (!m_document) return After::Unload;
    if (m_busy) return After::Stay;
    try {
        if (!m_rows || m_rows->IsEmpty()) return After::Unload;
        const bool completed = m_document->GetBoolValue(kCompletato);
        if (message(completed ? QStringLiteral("Annullare le modifiche ?") : m_description.texts.giveUp,
                    int(Msg::YesNo) + Msg::Question)
            != Msg::Yes)
            return After::Stay;
        Release();
        if (completed) return After::Unload;
        if (!m_description.texts.nextAfterCancel.isEmpty()
            && message(m_description.texts.nextAfterCancel, int(Msg::YesNo) + Msg::Question + Msg::DefaultButton2)
                != Msg::Yes)
            return After::Unload;
        return AddDocument() ? After::Next : After::Unload;
    } catch (...) {
        const AppError e = CurrentError();
        ShowErrorDetails(e, QStringLiteral("Errore in annullamento dati: \r\r") + e.description);
        return After::Stay;
    }
}
