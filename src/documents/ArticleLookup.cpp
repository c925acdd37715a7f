#include "ArticleLookup.h"
#include "objdb/Database.h"
#include "ImportOperator.h"
#include "objdb/TableData.h"
#include "objdb/TableObject.h"

namespace {
TableObject& articoli(Database& db) { return *db.Tables().Item(QStringLiteral("Articoli")); }
const QString kByCode = QStringLiteral("Articoli.Codice = ?");
const QString kByKey = QStringLiteral("Articoli.OID = ?");
}   // namespace

ArticleLookup::ArticleLookup(Database& db) : m_db(db) { }

ArticleLookup::~ArticleLookup() = default;

std::unique_ptr<TableData> ArticleLookup::byCode(const QString& code) const
{
    return articoli(m_db).Select(QStringLiteral("Articoli.Codice = ") + m_db.QuoteText(code.trimmed()));
}

ArticleLookup::First ArticleLookup::firstOfCode(const QString& code) const
{
    if (!m_codes) m_codes = articoli(m_db).Select();
    m_codes->SetFilter(kByCode, {code.trimmed()});
    // The keys of the first two articles of the code, in the data set's order: no row is
    // made current, so none is buffered between look-ups (an import asks line after line).
    const std::vector<qint64> keys = m_codes->PageAfter(0, 2);
    First first;
    if (!keys.empty()) {
        first.article = keys.front();
        first.more = keys.size() > 1;
    }
    return first;
}

bool ArticleLookup::exists(const QString& code) const { return firstOfCode(code).article != 0; }

ArticleLookup::Match ArticleLookup::resolve(const QString& code, ImportOperator& chooser) const
{
    const First first = firstOfCode(code);
    if (!first.article) return {Outcome::None, 0};
    if (!first.more) return {Outcome::Found, first.article};
    auto found = byCode(code);
    found->MoveFirst();
    if (const std::optional<qint64> chosen = chooser.pickArticle(*found); chosen && *chosen != 0)
        return {Outcome::Found, *chosen};
    return {Outcome::NotChosen, 0};
}

std::unique_ptr<TableData> ArticleLookup::byKey(qint64 article) const
{
    // The key is bound, not written into the condition: one text, translated and prepared
    // once, for every article looked up.
    auto rows = articoli(m_db).Select();
    rows->SetFilter(kByKey, {article});
    rows->MoveFirst();
    return rows;
}

bool ArticleLookup::existsKey(qint64 article) const
{
    if (!m_keys) m_keys = articoli(m_db).Select();
    const bool found = m_keys->MoveToOID(article);
    m_keys->Close();
    return found;
}
