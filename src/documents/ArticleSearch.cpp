#include "ArticleSearch.h"

#include "base/AppError.h"
#include "core/seams/ArticleSearchHost.h"
#include "core/seams/CounterServices.h"
#include "objdb/Database.h"
#include "core/lifecycle/ErrorReporting.h"
#include "objdb/ObjDbError.h"
#include "core/helpers/ParseBarcode.h"
#include "core/helpers/SystemHelpers.h"
#include "objdb/TableData.h"
#include "base/UiServices.h"
#include "devices/barcode/modBarcodeReader.h"

namespace {
const QString kArticoli = QStringLiteral("Articoli");

bool holdsLineBreak(const QString& text) { return text.contains(u'\r') || text.contains(u'\n'); }

// A failed command is reported once: a table rule's refusal was shown already.
void report()
{
    const AppError e = CurrentError();
    if (!objdb::isRefusal(e)) ShowErrorDetails(e);
}
}   // namespace

QString LikeLiteral(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c == u'*' || c == u'?' || c == u'#' || c == u'[') {
            out += u'[';
            out += c;
            out += u']';
        } else {
            out += c;
        }
    }
    return out;
}

ArticleSearchField ArticleSearch::NextField(ArticleSearchField field)
{
    switch (field) {
    case ArticleSearchField::Codice: return ArticleSearchField::Descrizione;
    case ArticleSearchField::Descrizione: return ArticleSearchField::CodiceAggiuntivo;
    case ArticleSearchField::CodiceAggiuntivo: return ArticleSearchField::Codice;
    }
    return ArticleSearchField::Codice;
}

QString ArticleSearch::Criteria(const QString& text) const
{
    const Database& db = database();
    const QString pattern = LikeLiteral(text);
    // Qualified: the articles view may join tables that have fields of the same names.
    switch (field) {
    case ArticleSearchField::Codice: return QStringLiteral("Articoli.Codice Like ") + db.QuoteText(pattern + u'*');
    case ArticleSearchField::CodiceAggiuntivo:
        return QStringLiteral("Articoli.CodiceAggiuntivo Like ") + db.QuoteText(pattern + u'*');
    case ArticleSearchField::Descrizione:
        return QStringLiteral("Articoli.Descrizione Like ") + db.QuoteText(u'*' + pattern + u'*');
    }
    return {};
}

QString ArticleSearch::TextToFind(const QString& typed) const
{
    if (field == ArticleSearchField::Descrizione) return typed;
    // Only a code is cut by the barcode layouts: a description that begins with a layout's
    // prefix is words, not a barcode.
    QString code = typed.trimmed();
    double quantity = 0;
    Currency amount;
    QString cut;
    if (m_db && ParseBarcode(*m_db, code, cut, quantity, amount)) code = cut.trimmed();
    return code;
}

Database& ArticleSearch::database() const
{
    if (!m_db) RaiseAppError(QStringLiteral("ArticleSearch"), QStringLiteral("Database non aperto"));
    return *m_db;
}

ArticleSearchHost& ArticleSearch::host() const
{
    if (!m_host)
        RaiseAppError(QStringLiteral("ArticleSearch"), QStringLiteral("Nessuna finestra principale in cui cercare"));
    return *m_host;
}

ArticleSearch::Outcome ArticleSearch::Search(const QString& typed)
{
    if (typed.isEmpty()) {
        ui().beep();
        return Outcome::NothingToFind;
    }
    try {
        return search(typed);
    } catch (...) {
        report();
        return Outcome::Failed;
    }
}

ArticleSearch::Outcome ArticleSearch::search(const QString& typed)
{
    database();   // raises when none is open
    const QString text = TextToFind(typed);
    // Blanks alone, or a barcode whose code part is empty, would match every article.
    if (text.isEmpty()) {
        ui().beep();
        return Outcome::NothingToFind;
    }
    ArticleSearchHost& h = host();
    if (h.SelectedNodeKey().compare(kArticoli, Qt::CaseInsensitive) != 0) {
        h.SelectNode(kArticoli);
        h.RefreshDetailView();
    }
    auto articlesView = [&h]() -> TableData& {
        TableData* view = h.CurrentDataSet();
        // No articles view (the main window could not open it): nothing to search in.
        if (!view || view->tableName().compare(kArticoli, Qt::CaseInsensitive) != 0)
            RaiseAppError(QStringLiteral("ArticleSearch"), QStringLiteral("La vista degli articoli non è disponibile"));
        return *view;
    };
    TableData* view = &articlesView();
    const QString criteria = Criteria(text);
    bool found = false;
    if (onlyMatches) {
        view->SetFilter(criteria);
        view->MoveFirst();
        h.DataSetFiltered();
        found = !view->IsEmpty();
    } else {
        if (!view->GetFilter().isEmpty()) {
            h.RefreshDetailView();
            view = &articlesView();
        }
        found = view->FindFirst(criteria);
    }
    if (!found) {
        ui().beep();
        return Outcome::NotFound;
    }
    const qint64 article = view->GetOID();
    h.ClearSelection();
    h.SelectRow(article);
    return Outcome::Found;
}

std::optional<QString> ArticleSearch::ScannedCode(const QString& boxText)
{
    // Typed text never goes through the filter: a filter that makes a code of nothing would
    // otherwise start a search at every key.
    if (!holdsLineBreak(boxText)) return std::nullopt;
    QString code = GetFilteredBarcode(boxText);
    if (code.isEmpty()) return std::nullopt;
    return code;
}

void ArticleSearch::PrintLabel()
{
    try {
        if (CounterServices* counter = counterServices()) counter->mnuPrintLabel_Click();
    } catch (...) {
        report();
    }
}

void ArticleSearch::Edit()
{
    try {
        host().mnuFileProperties_Click();
    } catch (...) {
        report();
    }
}
