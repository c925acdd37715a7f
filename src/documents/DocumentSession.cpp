#include "DocumentSession.h"

#include "objdb/DBEngine.h"
#include "objdb/Database.h"
#include "DocumentOperator.h"
#include "base/SettingsStore.h"
#include "core/SystemHelpers.h"
#include "objdb/TableData.h"
#include "objdb/TableObject.h"

#include <QDateTime>

namespace {
const QString kPagamento = QStringLiteral("Pagamento");
const QString kPagamentoDefault = QStringLiteral("PagamentoDefault");
}  // namespace

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
    if (!engine)
        return;
    const int before = engine->TransactionLevel();
    if (whole)
        engine->BeginWholeTransaction();
    else
        engine->BeginTransaction();
    // With transactions switched off the engine opens none: there is nothing to end later.
    if (engine->TransactionLevel() > before)
        m_level = engine->TransactionLevel();
}

void DocumentTransaction::commit()
{
    if (!m_open)
        return;
    m_open = false;
    const auto engine = m_engine.lock();
    if (engine && m_level > 0 && engine->TransactionLevel() == m_level)
        engine->CommitTransaction();
    m_level = 0;
}

void DocumentTransaction::rollback()
{
    if (!m_open)
        return;
    m_open = false;
    const auto engine = m_engine.lock();
    if (engine && m_level > 0 && engine->TransactionLevel() == m_level)
        engine->RollbackTransaction();
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
    TableObject& table = *row.GetTable();
    QStringList same;
    for (const QString& name : others)
        same << (table.GetReference(name) ? table.BuildReferenceCondition(name, row.GetReferenceOID(name))
                                          : table.BuildFieldCondition(name, row.GetValue(name)));
    same << QStringLiteral("OID <> ") + QString::number(row.GetOID());
    QDateTime time = row.GetValue(timeField).toDateTime();
    if (!time.isValid())
        return;
    for (;;) {
        const QString condition = table.BuildFieldCondition(timeField, time) + QStringLiteral(" AND ") +
                                  same.join(QStringLiteral(" AND "));
        if (table.Select(condition)->IsEmpty())
            break;
        time = time.addSecs(1);
    }
    if (time != row.GetValue(timeField).toDateTime())
        row.SetValue(timeField, time);
}

// ---- the open document ---------------------------------------------------------------------------------

std::optional<qint64> ChooseRow(DocumentOperator& op, TableData& candidates, qint64 preferred, bool askAnyway)
{
    const bool found = preferred && candidates.MoveToOID(preferred);
    if (found && !askAnyway)
        return preferred;
    if (!found)
        candidates.MoveFirst();
    const std::optional<qint64> picked = op.pickRow(candidates, {QStringLiteral("Descrizione")});
    if (!picked || *picked == 0)
        return std::nullopt;
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
    if (!document || document->HasNoCurrentRow())
        return;
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
    if (!type)
        return false;

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
            if (payments->MoveToOID(payment))
                payments->CancelUpdate();
        } else {
            document.RemoveFromList(kPagamento, payment);
        }
        return false;
    }
    if (payments->MoveToOID(payment))
        StoreDefaultKey(names.section, kPagamentoDefault, payments->GetReferenceOID(kPagamento));
    return true;
}
