#include "AddToDeposit.h"

#include "base/AppError.h"
#include "core/configuration/Configuration.h"
#include "objdb/Database.h"
#include "core/lifecycle/ErrorReporting.h"
#include "ImportOperator.h"
#include "objdb/ObjDbError.h"
#include "core/helpers/ParseBarcode.h"
#include "objdb/TableData.h"
#include "objdb/TableObject.h"
#include "base/UiServices.h"

namespace {
const QString kArticoli = QStringLiteral("Articoli");
const QString kDepositi = QStringLiteral("Depositi");
const QString kCodice = QStringLiteral("Codice");
const QString kDeposito = QStringLiteral("Deposito");

void tell(const QString& text) { ui().msgBox(text, int(Msg::OKOnly) + Msg::Information, g_strMsgTitle); }
}   // namespace

std::vector<AddToDeposit::Deposit> AddToDeposit::Deposits() const
{
    std::vector<Deposit> out;
    auto rows = m_db.Tables().Item(kDepositi)->Select();
    for (rows->MoveFirst(); !rows->IsEOF(); rows->MoveNext())
        out.push_back({rows->GetOID(), rows->GetText(kDeposito), rows->GetText(QStringLiteral("Descrizione"))});
    return out;
}

AddToDeposit::Result AddToDeposit::Add(const QString& codeText, qint64 deposit)
{
    try {
        return add(codeText, deposit);
    } catch (...) {
        const AppError e = CurrentError();
        if (!objdb::isRefusal(e)) ShowErrorDetails(e);
        return {};
    }
}

AddToDeposit::Result AddToDeposit::add(const QString& codeText, qint64 deposit)
{
    QString code = codeText.trimmed();
    if (code.isEmpty()) {
        tell(QStringLiteral("Devi inserire il codice dell'articolo da aggiungere"));
        return {Outcome::NoCode};
    }
    TableObject& depositi = *m_db.Tables().Item(kDepositi);
    // A deposit removed since the list was filled is no deposit to add to.
    if (deposit == 0 || depositi.Select(depositi.BuildKeyCondition(deposit))->IsEmpty()) {
        tell(QStringLiteral("Devi selezionare il deposito"));
        return {Outcome::NoDeposit};
    }
    double quantity = 0;
    Currency amount;
    QString cut;
    if (ParseBarcode(m_db, code, cut, quantity, amount)) code = cut.trimmed();
    if (code.isEmpty()) {
        tell(QStringLiteral("Devi inserire il codice dell'articolo da aggiungere"));
        return {Outcome::NoCode};
    }

    TableObject& articoli = *m_db.Tables().Item(kArticoli);
    auto found = articoli.Select(QStringLiteral("Articoli.Codice = ") + m_db.QuoteText(code) + QStringLiteral(" AND ")
                                 + articoli.BuildReferenceCondition(kDeposito, deposit));
    if (!found->IsEmpty()) {
        found->MoveFirst();
        tell(QStringLiteral("L'articolo esiste nel deposito selezionato."));
        return {Outcome::AlreadyThere, found->GetOID()};
    }
    // As at the counter: a code longer than the field is told at once, not refused by the
    // editor after the operator filled it in.
    if (const FieldDefinition* field = articoli.GetField(kCodice);
        field && field->Size > 0 && code.size() > field->Size) {
        ui().msgBox(QString::fromUtf8("Il Codice non può essere più di ") + QString::number(field->Size)
                        + QStringLiteral(" caratteri."),
                    int(Msg::OKOnly) + Msg::Exclamation, g_strMsgTitle);
        return {Outcome::NotCreated};
    }
    const std::optional<qint64> created = m_op.newArticle(*found, {kCodice, code, kDeposito, deposit});
    if (!created || *created == 0) return {Outcome::NotCreated};
    return {Outcome::Created, *created};
}
