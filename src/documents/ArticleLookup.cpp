#include "ArticleLookup.h"
#include "Database.h"
#include "ImportOperator.h"
#include "TableData.h"
#include "TableObject.h"

namespace {
TableObject& articoli(Database& db) { return *db.Tables().Item(QStringLiteral("Articoli")); }
}  // namespace

std::unique_ptr<TableData> ArticleLookup::byCode(const QString& code) const
{
    return articoli(m_db).Select(QStringLiteral("Articoli.Codice = ") + m_db.QuoteText(code.trimmed()));
}

bool ArticleLookup::exists(const QString& code) const
{
    return !byCode(code)->IsEmpty();
}

ArticleLookup::Match ArticleLookup::resolve(const QString& code, ImportOperator& chooser) const
{
    auto found = byCode(code);
    const qint64 count = found->RowCount();
    if (count == 0)
        return {Outcome::None, 0};
    if (count == 1) {
        found->MoveFirst();
        return {Outcome::Found, found->GetOID()};
    }
    found->MoveFirst();
    if (const std::optional<qint64> chosen = chooser.pickArticle(*found); chosen && *chosen != 0)
        return {Outcome::Found, *chosen};
    return {Outcome::NotChosen, 0};
}

std::unique_ptr<TableData> ArticleLookup::byKey(qint64 article) const
{
    TableObject& table = articoli(m_db);
    auto rows = table.Select(table.BuildKeyCondition(article));
    rows->MoveFirst();
    return rows;
}
