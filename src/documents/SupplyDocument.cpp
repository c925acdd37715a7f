#include "SupplyDocument.h"

#include "base/AppError.h"
#include "core/Configuration.h"
#include "core/CounterServices.h"
#include "objdb/DBEngine.h"
#include "objdb/Database.h"
#include "DocumentOperator.h"
#include "core/ErrorReporting.h"
#include "core/MainWindowServices.h"
#include "SupplierLinks.h"
#include "core/SystemHelpers.h"
#include "objdb/TableData.h"
#include "objdb/TableObject.h"
#include "base/UiServices.h"
#include "frmImportData.h"

namespace {

const QString kForniture = QStringLiteral("Forniture");
const QString kFornitore = QStringLiteral("Fornitore");
const QString kTipoDocumento = QStringLiteral("TipoDocumento");
const QString kArticoli = QStringLiteral("Articoli");
const QString kCompletato = QStringLiteral("Completato");
const QString kDescrizione = QStringLiteral("Descrizione");
const QString kFornitoreDefault = QStringLiteral("FornitoreDefault");
const QString kTipoDocDefault = QStringLiteral("TipoDocDefault");

const PaymentNames kPayment{kForniture, QStringLiteral("ImportoAcquisto"), kFornitore, QStringLiteral("DataAcquisto")};

int message(const QString& text, int flags) { return ui().msgBox(text, flags, AppTitle()); }

QString description(TableData& row, const QString& reference)
{
    auto target = row.GetReference(reference);
    return target->IsEmpty() ? QString() : target->GetText(kDescrizione);
}

}  // namespace

SupplyDocument::SupplyDocument(Database& db, DocumentOperator& op)
    : m_db(db), m_op(op), m_rowEntry(DocumentKind::Supply, op)
{
}

SupplyDocument::~SupplyDocument()
{
    try {
        Release_Fornitura();
    } catch (...) {
        // The window is gone: what could not be released stays as the file has it.
    }
}

// ---- the window's life ---------------------------------------------------------------------------------

bool SupplyDocument::Activate(std::shared_ptr<BarcodeTarget> codeBox)
{
    if (m_supply)
        return true;
    if (CounterServices* counter = counterServices()) {
        counter->SetBarcodeControl(std::move(codeBox));
        m_codeBoxRegistered = true;
    }
    return Add_Fornitura();
}

bool SupplyDocument::QueryClose()
{
    if (!m_supply || m_supply->HasNoCurrentRow() || m_supply->GetBoolValue(kCompletato) || !m_rows ||
        m_rows->IsEmpty())
        return true;
    return message(QStringLiteral("Confermi l'annullamento della Fornitura ?"), int(Msg::YesNo) + Msg::Question) == Msg::Yes;
}

void SupplyDocument::Unload()
{
    try {
        Release_Fornitura();
    } catch (...) {
        ShowErrorDetails(QStringLiteral("Errore in annullamento dati: \r\r") + CurrentError().description);
    }
    if (CounterServices* counter = counterServices(); counter && m_codeBoxRegistered)
        counter->SetBarcodeControl(nullptr);
    m_codeBoxRegistered = false;
    if (MainWindowServices* mw = mainWindowServices())
        mw->RefreshDetailView();
}

// ---- the supply ------------------------------------------------------------------------------------------

bool SupplyDocument::Add_Fornitura()
{
    m_editing = false;
    m_transaction.begin(m_db.GetEngine());
    try {
        TableObject& forniture = *m_db.Tables().Item(kForniture);
        auto supplies = forniture.Select(QStringLiteral("OID = 0"));
        auto suppliers = supplies->GetReferenceTable(kFornitore);
        const std::optional<qint64> supplier =
            ChooseRow(m_op, *suppliers, ReadDefaultKey(kForniture, kFornitoreDefault), true);
        if (!supplier) {
            m_transaction.rollback();
            return false;
        }
        auto types = supplies->GetReferenceTable(kTipoDocumento);
        const std::optional<qint64> type = ChooseRow(m_op, *types, ReadDefaultKey(kForniture, kTipoDocDefault), false);
        if (!type) {
            m_transaction.rollback();
            return false;
        }
        supplies->NewRow();
        supplies->SetReferenceOID(kFornitore, *supplier);
        supplies->SetReferenceOID(kTipoDocumento, *type);
        supplies->SetValue(QStringLiteral("Documento"), QString());
        supplies->SetValue(QStringLiteral("ImportoAcquisto"), QVariant::fromValue(Currency()));
        MoveToFreeSecond(*supplies, QStringLiteral("DataFornitura"), {kFornitore});
        supplies->Update();
        m_supply = OpenDocumentRow(forniture, supplies->GetOID());
        Show_Fornitura();
        return true;
    } catch (...) {
        const AppError e = CurrentError();
        m_layouts.reset();
        m_rows.reset();
        m_supply.reset();
        bindRows();
        m_transaction.rollback();
        ShowErrorDetails(e, QStringLiteral("Impossibile aggiungere la fornitura"));
        return false;
    }
}

bool SupplyDocument::Edit_Fornitura(TableData* dataSet)
{
    if (!dataSet || dataSet->HasNoCurrentRow())
        return true;
    if (m_supply)
        Release_Fornitura();
    m_transaction.begin(m_db.GetEngine(), true);
    try {
        TableObject& forniture = *m_db.Tables().Item(kForniture);
        m_supply = OpenDocumentRow(forniture, dataSet->GetOID());
        if (m_supply->HasNoCurrentRow())
            throw AppError::object(AppError::kGenericCode, AppTitle(), QStringLiteral("Fornitura non trovata"));
        m_editing = true;
        Show_Fornitura();
        return true;
    } catch (...) {
        const AppError e = CurrentError();
        m_layouts.reset();
        m_rows.reset();
        m_supply.reset();
        bindRows();
        m_editing = false;
        m_transaction.rollback();
        ShowErrorDetails(e, QStringLiteral("Impossibile modificare la fornitura"));
        return false;
    }
}

// The rows, and whether the supplier's delivery file can be imported: its first layout must
// say where at least one field lies.
void SupplyDocument::Show_Fornitura()
{
    Refresh_Articoli();
    m_layouts.reset();
    auto supplier = m_supply->GetReference(kFornitore);
    if (supplier->IsEmpty())
        return;
    auto layouts = supplier->GetReference(QStringLiteral("Tracciati"));
    if (layouts->IsEmpty())
        return;
    layouts->MoveFirst();
    if (!layouts->GetReference(QStringLiteral("Campi"))->IsEmpty())
        m_layouts = std::move(layouts);
}

void SupplyDocument::bindRows() { m_rowEntry.bind(m_supply.get(), m_rows.get()); }

void SupplyDocument::Refresh_Articoli(qint64 row)
{
    if (!m_supply)
        return;
    m_rows = m_supply->GetReference(kArticoli);
    bindRows();
    if (row == 0 || !m_rows->MoveToOID(row))
        m_rows->MoveFirst();
}

void SupplyDocument::Release_Fornitura()
{
    std::unique_ptr<TableData> supply = std::move(m_supply);
    m_layouts.reset();
    m_rows.reset();
    bindRows();
    GiveUpDocument(supply.get());
    m_transaction.commit();
}

SupplyDocument::Header SupplyDocument::header()
{
    Header h;
    if (!m_supply || m_supply->HasNoCurrentRow())
        return h;
    h.supplier = description(*m_supply, kFornitore);
    h.documentType = description(*m_supply, kTipoDocumento);
    h.document = m_supply->GetValue(QStringLiteral("Documento")).toString();
    h.date = m_supply->GetValue(QStringLiteral("DataFornitura")).toDateTime();
    h.note = m_supply->GetValue(QStringLiteral("Note")).toString();
    h.total = m_supply->GetCurrencyValue(QStringLiteral("ImportoAcquisto"));
    if (const auto conversion = m_db.ConversionCurrency()) {
        h.convertedName = conversion->Name();
        h.convertedTotal = m_db.ConvertAmount(h.total, true);
    }
    h.importEnabled = m_layouts != nullptr;
    return h;
}

// ---- header commands -----------------------------------------------------------------------------------

bool SupplyDocument::SetSupplier()
{
    return m_supply && setReference(kFornitore, *m_supply->GetReferenceTable(kFornitore));
}

bool SupplyDocument::SetDocumentType()
{
    return m_supply && setReference(kTipoDocumento, *m_db.Tables().Item(QStringLiteral("TipiDocumento"))->Select());
}

// The header's reference `field` set to the row the operator picks among `candidates`.
bool SupplyDocument::setReference(const QString& field, TableData& candidates)
{
    const std::optional<qint64> picked = ChooseRow(m_op, candidates, m_supply->GetReferenceOID(field), true);
    if (!picked)
        return false;
    m_supply->SetReferenceOID(field, *picked);
    Show_Fornitura();
    return true;
}

bool SupplyDocument::SetDate()
{
    if (!m_supply || !m_op.editField(*m_supply, QStringLiteral("DataFornitura")))
        return false;
    Show_Fornitura();
    return true;
}

void SupplyDocument::SetDocumentNumber(const QString& text)
{
    if (m_supply)
        m_supply->SetValue(QStringLiteral("Documento"), text.toUpper());
}

void SupplyDocument::SetNote(const QString& note)
{
    if (m_supply)
        m_supply->SetValue(QStringLiteral("Note"), note);
}

bool SupplyDocument::Import(QWidget* caller)
{
    if (!m_supply || !m_layouts)
        return false;
    bool ok = false;
    frmImportData::Import(caller, *m_supply, *m_rows, *m_layouts, m_op, ok);
    Refresh_Articoli();
    return ok;
}

// ---- confirm and cancel -----------------------------------------------------------------------------------

SupplyDocument::After SupplyDocument::Confirm()
{
    if (!m_supply)
        return After::Stay;
    bool isNew = false;
    try {
        m_supply->Update();
        if (m_rows->IsEmpty()) {
            message(QStringLiteral("Nessun articolo\r\rDevi inserire gli articoli della Fornitura..."),
                    int(Msg::OKOnly) + Msg::Exclamation);
            return After::Stay;
        }
        if (m_supply->GetBoolValue(kCompletato)) {
            if (message(QStringLiteral("Vuoi modificare i dati del pagamento ?"), int(Msg::YesNo) + Msg::Question) == Msg::Yes) {
                auto payments = m_supply->GetReference(QStringLiteral("Pagamento"));
                m_op.showRows(*payments, {QStringLiteral("Importo"), QStringLiteral("Pagamento")});
            }
        } else {
            if (!EditPayment(*m_supply, kPayment, m_op))
                return After::Stay;
            // Every article delivered is one of the supplier's, linked once however many rows it has.
            (void)LinkArticlesToSupplier(*m_supply, *m_rows);
            if (settings().Use_PagamentoForniture) {
                int paid;
                do {
                    paid = message(QString::fromUtf8("CONFERMA OPZIONE:\r\rLa Fornitura è stata Pagata?"),
                                   int(Msg::YesNoCancel) + Msg::Question + Msg::DefaultButton3);
                } while (paid != Msg::Yes && paid != Msg::No);
                m_supply->SetValue(QStringLiteral("Pagato"), paid == Msg::Yes);
            }
            m_supply->SetValue(kCompletato, true);
            m_supply->Update();
            isNew = true;
        }
        m_transaction.commit();
        StoreDefaultKey(kForniture, kFornitoreDefault, m_supply->GetReferenceOID(kFornitore));
        StoreDefaultKey(kForniture, kTipoDocDefault, m_supply->GetReferenceOID(kTipoDocumento));
        m_layouts.reset();
        m_rows.reset();
        m_supply.reset();
        bindRows();
    } catch (...) {
        // As the sale: the window unloads, and giving the supply up settles what is open.
        const AppError e = CurrentError();
        ShowErrorDetails(e, QStringLiteral("Errore in conferma dati: \r\r") + e.description);
        return After::Unload;
    }
    if (!isNew)
        return After::Unload;
    ui().beep();
    if (message(QStringLiteral("Operazione confermata.\r\rVuoi effettuare una nuova Fornitura ?"),
                int(Msg::OKCancel) + Msg::Question) != Msg::OK)
        return After::Unload;
    return Add_Fornitura() ? After::NextSupply : After::Unload;
}

SupplyDocument::After SupplyDocument::Cancel()
{
    if (!m_supply)
        return After::Unload;
    try {
        if (!m_rows || m_rows->IsEmpty())
            return After::Unload;
        const bool completed = m_supply->GetBoolValue(kCompletato);
        if (message(completed ? QStringLiteral("Annullare le modifiche ?")
                              : QStringLiteral("Confermi l'annullamento della Fornitura ?"),
                    int(Msg::YesNo) + Msg::Question) != Msg::Yes)
            return After::Stay;
        Release_Fornitura();
        if (completed)
            return After::Unload;
        if (message(QStringLiteral("Annullamento effettuato.\r\rVuoi effettuare una nuova Fornitura ?"),
                    int(Msg::YesNo) + Msg::Question + Msg::DefaultButton2) != Msg::Yes)
            return After::Unload;
        return Add_Fornitura() ? After::NextSupply : After::Unload;
    } catch (...) {
        const AppError e = CurrentError();
        ShowErrorDetails(e, QStringLiteral("Errore in annullamento dati: \r\r") + e.description);
        return After::Stay;
    }
}
