#include "SupplyDocument.h"

#include "core/configuration/Configuration.h"
#include "objdb/Database.h"
#include "DocumentOperator.h"
#include "SupplierLinks.h"
#include "core/helpers/SystemHelpers.h"
#include "objdb/TableData.h"
#include "objdb/TableObject.h"
#include "base/UiServices.h"

namespace {

const QString kFornitore = QStringLiteral("Fornitore");
const QString kTipoDocumento = QStringLiteral("TipoDocumento");
const QString kDescrizione = QStringLiteral("Descrizione");

QString description(TableData& row, const QString& reference)
{
    auto target = row.GetReference(reference);
    return target->IsEmpty() ? QString() : target->GetText(kDescrizione);
}

}   // namespace

SupplyDocument::SupplyDocument(Database& db, DocumentOperator& op) : DocumentSession(db, op, DocumentKind::Supply) { }

bool SupplyDocument::Activate(std::shared_ptr<BarcodeTarget> codeBox)
{
    if (m_document) return true;
    registerCodeBox(std::move(codeBox));
    return AddDocument();
}

// ---- the supply ------------------------------------------------------------------------------------------

void SupplyDocument::fillNew(TableData& row) { row.SetValue(QStringLiteral("Documento"), QString()); }

// Whether the supplier's delivery file can be imported: its first layout must say where at
// least one field lies.
void SupplyDocument::documentShown()
{
    m_layouts.reset();
    auto supplier = m_document->GetReference(kFornitore);
    if (supplier->IsEmpty()) return;
    auto layouts = supplier->GetReference(QStringLiteral("Tracciati"));
    if (layouts->IsEmpty()) return;
    layouts->MoveFirst();
    if (!layouts->GetReference(QStringLiteral("Campi"))->IsEmpty()) m_layouts = std::move(layouts);
}

void SupplyDocument::documentDropped() { m_layouts.reset(); }

SupplyDocument::Header SupplyDocument::header()
{
    Header h;
    if (!m_document || m_document->HasNoCurrentRow()) return h;
    fillHeader(h);
    h.documentType = description(*m_document, kTipoDocumento);
    h.document = m_document->GetValue(QStringLiteral("Documento")).toString();
    h.importEnabled = m_layouts != nullptr;
    return h;
}

// ---- header commands -----------------------------------------------------------------------------------

bool SupplyDocument::SetDocumentType()
{
    return m_document && setReference(kTipoDocumento, *m_db.Tables().Item(QStringLiteral("TipiDocumento"))->Select());
}

void SupplyDocument::SetDocumentNumber(const QString& text)
{
    if (m_document) m_document->SetValue(QStringLiteral("Documento"), text.toUpper());
}

bool SupplyDocument::Import(const ImportWindow& window)
{
    if (!m_document || !m_layouts || !window) return false;
    const bool ok = window(*m_document, *m_rows, *m_layouts, m_op);
    Refresh_Articoli();
    return ok;
}

// ---- confirm -----------------------------------------------------------------------------------------------

bool SupplyDocument::complete()
{
    if (m_document->GetBoolValue(QStringLiteral("Completato"))) {
        if (message(QStringLiteral("Vuoi modificare i dati del pagamento ?"), int(Msg::YesNo) + Msg::Question)
            == Msg::Yes) {
            auto payments = m_document->GetReference(QStringLiteral("Pagamento"));
            m_op.showRows(*payments, {QStringLiteral("Importo"), QStringLiteral("Pagamento")});
        }
        return true;
    }
    if (!editPayment()) return false;
    // Every article delivered is one of the supplier's, linked once however many rows it has.
    (void)LinkArticlesToSupplier(*m_document, *m_rows);
    if (settings().Use_PagamentoForniture) {
        int paid;
        do {
            paid = message(QString::fromUtf8("CONFERMA OPZIONE:\r\rLa Fornitura è stata Pagata?"),
                           int(Msg::YesNoCancel) + Msg::Question + Msg::DefaultButton3);
        } while (paid != Msg::Yes && paid != Msg::No);
        m_document->SetValue(QStringLiteral("Pagato"), paid == Msg::Yes);
    }
    m_document->SetValue(QStringLiteral("Completato"), true);
    m_document->Update();
    return true;
}

void SupplyDocument::completed() { storeDefaults(); }
