#include "DocumentRows.h"

#include "ArticleLookup.h"
#include "ArticleSearch.h"
#include "objdb/Database.h"
#include "DocumentOperator.h"
#include "core/lifecycle/ErrorReporting.h"
#include "objdb/ObjDbError.h"
#include "core/helpers/ParseBarcode.h"
#include "core/helpers/SystemHelpers.h"
#include "objdb/TableData.h"
#include "objdb/TableObject.h"
#include "base/UiServices.h"

#include <QLocale>
#include <QRegularExpression>
#include <cmath>

namespace {

const QString kArticoli = QStringLiteral("Articoli");
const QString kParent = QStringLiteral("objParent");
const QString kCodice = QStringLiteral("Codice");
const QString kFornitori = QStringLiteral("Fornitori");
const QString kStock = QStringLiteral("ValoreScorta");

bool unitHasDecimals(TableData& article)
{
    auto unit = article.GetReference(QStringLiteral("UnitaMisura"));
    return !unit->IsEmpty() && unit->GetBoolValue(QStringLiteral("Decimali"));
}

// n / d rounded half to even; d > 0.
__int128 divideHalfEven(__int128 n, __int128 d)
{
    __int128 q = n / d;
    __int128 r = n % d;
    if (r < 0) {
        q -= 1;
        r += d;
    }
    if (2 * r > d || (2 * r == d && q % 2 != 0)) q += 1;
    return q;
}

}   // namespace

const RowNames& rowNames(DocumentKind kind)
{
    static const RowNames sale {
        QStringLiteral("ScaricoArticoli"),
        QStringLiteral("ValoreScarico"),
        QStringLiteral("ImportoScarico"),
        QStringLiteral("PrezzoVendita"),
        QStringLiteral("*,PrezzoVendita"),
        QStringLiteral("Vendita"),
        QStringLiteral("VenditaArticoli"),
        {QStringLiteral("DataScarico"), QStringLiteral("PrezzoAcquisto")},
        QStringLiteral("Codice,Descrizione,ValoreScarico,PrezzoVendita,ImportoSconto,ImportoScarico,"
                       "PuntiPremio")};
    static const RowNames supply {
        QStringLiteral("CaricoArticoli"),
        QStringLiteral("ValoreCarico"),
        QStringLiteral("ImportoCarico"),
        QStringLiteral("PrezzoAcquisto"),
        QStringLiteral("*,PrezzoAcquisto,PrezzoVendita"),
        QStringLiteral("Fornitura"),
        QStringLiteral("FornituraArticoli"),
        {QStringLiteral("DataCarico")},
        QStringLiteral("Codice,Descrizione,ValoreCarico,PrezzoAcquisto,ImportoCarico,ValoreScorta")};
    return kind == DocumentKind::Sale ? sale : supply;
}

std::optional<double> ReadQuantity(const QString& text)
{
    static const QRegularExpression number(QStringLiteral("^[+-]?(\\d+([.,]\\d*)?|[.,]\\d+)$"));
    QString t = text.trimmed();
    if (!number.match(t).hasMatch()) return std::nullopt;
    t.replace(u',', u'.');
    bool ok = false;
    const double value = t.toDouble(&ok);
    if (!ok || !std::isfinite(value)) return std::nullopt;
    return value;
}

double QuantityForAmount(Currency amount, Currency price, bool decimals)
{
    __int128 n = amount.units();
    __int128 d = price.units();
    if (d < 0) {
        n = -n;
        d = -d;
    }
    if (decimals) return double(divideHalfEven(n * 1000, d)) / 1000.0;
    return double(divideHalfEven(n, d));
}

DocumentRows::DocumentRows(DocumentKind kind, DocumentOperator& op) : m_kind(kind), m_op(op) { }

void DocumentRows::bind(TableData* document, TableData* rows)
{
    m_document = document;
    m_rows = rows;
}

Database& DocumentRows::db() const { return *m_rows->GetDatabase(); }

// A failed command leaves the row entry usable: the error is reported (a rule's refusal was
// shown already) and the window shows the rows as they are.
template <class F> DocumentRows::Result DocumentRows::guarded(F&& command)
{
    if (!m_document || !m_rows) return {};
    try {
        return command();
    } catch (...) {
        const AppError e = CurrentError();
        if (!objdb::isRefusal(e)) ShowErrorDetails(e);
        Result shown;
        shown.changed = true;
        shown.row = m_rows->GetOID();
        return shown;
    }
}

bool DocumentRows::select(qint64 selected) { return selected != 0 && m_rows->MoveToOID(selected); }

// ---- adding an article ----------------------------------------------------------------------------

DocumentRows::Result DocumentRows::AddArticle(const QString& codeText)
{
    return guarded([&] { return addArticle(codeText); });
}

DocumentRows::Result DocumentRows::addArticle(const QString& codeText)
{
    double quantity = 0;
    Currency amount;
    Article article;
    if (codeText.isEmpty()) {
        article = findByDescription();
    } else {
        QString code;
        if (!ParseBarcode(db(), codeText, code, quantity, amount)) code = codeText;
        article = findByCode(code);
    }
    if (!article.key) return article.otherwise;
    if (article.quantity != 0) quantity = article.quantity;

    auto found = ArticleLookup(db()).byKey(article.key);
    if (found->IsEmpty()) return {};
    const Currency price = found->GetCurrencyValue(names().price);
    const bool decimals = unitHasDecimals(*found);
    if (m_kind == DocumentKind::Sale) {
        // A weighed article's barcode gives its amount: the quantity is what that amount buys.
        if (quantity == 0)
            quantity = amount > Currency() && !price.isZero() ? QuantityForAmount(amount, price, decimals) : 1;
    } else if (quantity == 0) {
        quantity = 1;   // the barcode's amount never sets what was delivered
    }

    // The article's row grows by the quantity when the article is sold by the piece at its
    // price; a weighed article, one priced by hand or one with its amount from the barcode
    // makes a row of its own each time.
    // The article's key is bound, not written into the condition: one text for every scan.
    if (!decimals && !price.isZero() && amount.isZero()
        && m_rows->Find(kParent + QStringLiteral(" = ?"), {article.key}, false)) {
        m_rows->SetValue(names().quantity, m_rows->GetFieldValue(names().quantity).toDouble() + quantity);
        m_rows->Update();
        return {true, m_rows->GetOID(), true};
    }
    return addRow(article.key, quantity, amount, price);
}

DocumentRows::Article DocumentRows::findByDescription()
{
    Article none;
    const std::optional<ImportOperator::TextSearch> search
        = m_op.searchText(QStringLiteral("Descrizione"), QString(), false);
    if (!search) return none;
    QString filter;
    // What the operator typed is matched as written: "*", "?", "#" or "[" in it are no
    // wildcards.
    if (!search->text.isEmpty()) {
        const QString text = LikeLiteral(search->text);
        filter = QStringLiteral("Articoli.Descrizione Like ")
            + db().QuoteText(search->inside ? u'*' + text + u'*' : text + u'*');
    }
    TableObject& articoli = *db().Tables().Item(kArticoli);
    if (m_kind == DocumentKind::Supply && supplierArticlesOnly) {
        const QString supplier
            = articoli.BuildReferenceCondition(kFornitori, m_document->GetReferenceOID(QStringLiteral("Fornitore")));
        filter = filter.isEmpty() ? supplier : filter + QStringLiteral(" AND ") + supplier;
    }
    auto found = articoli.Select(filter, QStringLiteral("Articoli.Descrizione"), names().searchFields);
    found->MoveFirst();
    // The article chosen is the one added: the same code in another deposit is another article.
    if (const std::optional<qint64> chosen = m_op.pickArticle(*found); chosen && *chosen != 0) none.key = *chosen;
    return none;
}

DocumentRows::Article DocumentRows::findByCode(const QString& code)
{
    Article none;
    none.otherwise.clearCode = true;
    // A code of one article, as nearly every scan is, is answered without reading the
    // article's rows: the article is read once it is known.
    const ArticleLookup::Match match = ArticleLookup(db()).resolve(code, m_op);
    if (match.outcome == ArticleLookup::Outcome::Found) none.key = match.article;
    if (match.outcome != ArticleLookup::Outcome::None) return none;
    if (!findAdditionalCode) return newArticle(code.trimmed());
    auto found = db().Tables().Item(kArticoli)->Select(QStringLiteral("Articoli.CodiceAggiuntivo = ")
                                                       + db().QuoteText(code.trimmed()));
    const qint64 count = found->RowCount();
    if (count == 0) return newArticle(code.trimmed());
    found->MoveFirst();
    if (count == 1) {
        none.key = found->GetOID();
        return none;
    }
    if (const std::optional<qint64> chosen = m_op.pickArticle(*found); chosen && *chosen != 0) none.key = *chosen;
    return none;
}

// An unknown code: on the sale after a question, on the supply at once, the row editor on a
// new article of that code. The supply's new article is one of its supplier's, and the stock
// typed for it is what the supply delivers.
DocumentRows::Article DocumentRows::newArticle(const QString& code)
{
    Article none;
    none.otherwise.clearCode = true;
    TableObject& articoli = *db().Tables().Item(kArticoli);
    if (m_kind == DocumentKind::Sale) {
        if (!m_op.confirmWithBeep(QStringLiteral("Articolo non trovato...\r\rVuoi inserirlo ?"))) return none;
        const FieldDefinition* field = articoli.GetField(kCodice);
        if (field && field->Size > 0 && code.size() > field->Size) {
            ui().msgBox(QString::fromUtf8("Il Codice non può essere più di ") + QString::number(field->Size)
                            + QStringLiteral(" caratteri."),
                        int(Msg::OKOnly) + Msg::Exclamation, AppTitle());
            return none;
        }
    }
    auto articles = articoli.Select(QStringLiteral("OID = 0"));
    const std::optional<qint64> created = m_op.newArticle(*articles, {kCodice, code});
    if (!created || *created == 0) return none;
    none.key = *created;
    if (m_kind == DocumentKind::Supply) {
        linkToSupplier(*created);
        auto article = ArticleLookup(db()).byKey(*created);
        const double stock = article->GetFieldValue(kStock).toDouble();
        if (stock > 0) {
            none.quantity = stock;
            article->SetValue(kStock, 0.0);
            article->Update();
        }
    }
    return none;
}

DocumentRows::Result DocumentRows::addRow(qint64 article, double quantity, Currency amount, Currency price)
{
    const RowNames& n = names();
    qint64 row = 0;
    if (!amount.isZero()) {
        // The article first: attaching it prices the row, and the barcode's amount must be the
        // last word.
        row = m_rows->AddRow({kParent, article, n.quantity, quantity, n.amount, QVariant::fromValue(amount)});
    } else {
        if (price.isZero()) {
            // No price: the operator completes the row, its amount first of all.
            const std::optional<qint64> made = m_op.newRow(
                *m_rows,
                {QStringLiteral("@InvertParent@"), true, n.quantity, quantity, kParent, article, kArticoli, QString()});
            if (!made || *made == 0) return {};
            row = *made;
        } else {
            row = m_rows->AddRow({kParent, article, n.quantity, quantity});
        }
    }
    return {true, row, true};
}

// ---- row commands --------------------------------------------------------------------------------

DocumentRows::Result DocumentRows::Increment(qint64 selected, const QString& codeText)
{
    if (m_rows && !select(selected)) return AddArticle(codeText);
    return guarded([&] { return step(selected, +1); });
}

DocumentRows::Result DocumentRows::Decrement(qint64 selected)
{
    return guarded([&] { return step(selected, -1); });
}

// One more or one less, never 0: a return of one and a sale of one turn into each other.
DocumentRows::Result DocumentRows::step(qint64 selected, int direction)
{
    if (!select(selected)) return {};
    if (m_rows->GetCurrencyValue(names().price).isZero()) return {};
    const double quantity = m_rows->GetFieldValue(names().quantity).toDouble();
    double next = quantity + direction;
    if (quantity == -direction) {
        next = direction;
        ui().beep();
    }
    m_rows->SetValue(names().quantity, next);
    m_rows->Update();
    return {true, selected, false};
}

DocumentRows::Result DocumentRows::EditQuantity(qint64 selected)
{
    return guarded([&]() -> Result {
        if (!select(selected)) {
            ui().beep();
            return {};
        }
        const double quantity = m_rows->GetFieldValue(names().quantity).toDouble();
        const std::optional<QString> typed
            = ui().inputBox(QStringLiteral("IMPOSTARE LA QUANTITA' PER L'ARTICOLO:\r\r< ")
                                + m_rows->GetText(QStringLiteral("Descrizione")) + QStringLiteral(" >"),
                            names().quantityTitle, QLocale().toString(quantity, 'g', 15));
        if (!typed || typed->isEmpty()) return {};
        const std::optional<double> value = ReadQuantity(*typed);
        if (!value) {
            ui().msgBox(QString::fromUtf8("Il valore impostato non è valido"), int(Msg::OKOnly) + Msg::Exclamation,
                        AppTitle());
            return {};
        }
        m_rows->SetValue(names().quantity, *value);
        m_rows->Update();
        return {true, selected, false};
    });
}

DocumentRows::Result DocumentRows::DeleteRow(qint64 selected)
{
    return guarded([&]() -> Result {
        if (!select(selected)) {
            ui().beep();
            return {};
        }
        // Leaving the owned list deletes the row; its rule gives the quantity back to stock.
        m_document->RemoveFromList(kArticoli, selected);
        return {true, 0, false};
    });
}

DocumentRows::Result DocumentRows::EditRow(qint64 selected)
{
    return guarded([&]() -> Result {
        if (!select(selected)) {
            ui().beep();
            return {};
        }
        const std::optional<qint64> edited = m_op.editRow(*m_rows);
        if (!edited || *edited == 0) return {};
        return {true, *edited, false};
    });
}

DocumentRows::Result DocumentRows::DefineRow()
{
    return guarded([&]() -> Result {
        const std::optional<qint64> made
            = m_op.newRow(*m_rows,
                          {QStringLiteral("@InvertParent@"), false, QStringLiteral("@DisableParentIdentify@"),
                           QStringLiteral("True")});
        if (!made || *made == 0) return {};
        if (m_kind == DocumentKind::Supply && m_rows->MoveToOID(*made))
            linkToSupplier(m_rows->GetParentKey().toLongLong());
        return {true, *made, false};
    });
}

// The supply's supplier joins the article's suppliers, once.
void DocumentRows::linkToSupplier(qint64 article)
{
    const qint64 supplier = m_document->GetReferenceOID(QStringLiteral("Fornitore"));
    if (article == 0 || supplier == 0) return;
    auto found = ArticleLookup(db()).byKey(article);
    if (found->IsEmpty() || found->GetReference(kFornitori)->MoveToOID(supplier)) return;
    found->AddToList(kFornitori, supplier);
}

DocumentRows::Marks DocumentRows::marks(qint64 selected)
{
    Marks none;
    if (!m_rows || selected == 0 || m_rows->IsEmpty()) return none;
    // The rows are read again after every command, the selected one made current: asked
    // again for it (the grid asks as its selection settles), the row is not read a third time.
    if (m_rows->GetOID() != selected && !m_rows->MoveToOID(selected)) return none;
    if (m_rows->IsNewRow()) return none;
    none.returned = m_rows->GetFieldValue(names().quantity).toDouble() < 0;
    none.lowStock
        = m_rows->GetFieldValue(kStock).toDouble() <= m_rows->GetFieldValue(QStringLiteral("ScortaMinima")).toDouble();
    return none;
}
