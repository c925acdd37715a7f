#include "ViewRows.h"
#include "base/AppError.h"
#include "objdb/Database.h"
#include <QRegularExpression>

namespace {

const QString kSource = QStringLiteral("ViewRows");

// Order terms split at the commas outside parentheses and quotes.
QStringList splitTerms(const QString& order)
{
    QStringList terms;
    QString current;
    int depth = 0;
    QChar quote;
    for (QChar c : order) {
        if (!quote.isNull()) {
            if (c == quote) quote = QChar();
        } else if (c == u'"' || c == u'\'' || c == u'[') {
            quote = c == u'[' ? QChar(u']') : c;
        } else if (c == u'(') {
            ++depth;
        } else if (c == u')') {
            --depth;
        } else if (c == u',' && depth == 0) {
            terms << current.trimmed();
            current.clear();
            continue;
        }
        current += c;
    }
    if (!current.trimmed().isEmpty()) terms << current.trimmed();
    return terms;
}

bool same(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

// A value of a row as a Jet constant. Dates come back from the file in their stored text
// form, which compares with a text constant in time order.
QString literal(Database& db, const QVariant& v)
{
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Bool: return QString::number(v.toLongLong());
    case QMetaType::Double: return QString::number(v.toDouble(), 'g', 17);
    default: return db.QuoteText(v.toString());
    }
}

}   // namespace

ViewRows::ViewRows(Database& db, ViewQuery query) : m_db(db), m_query(std::move(query)) { }

std::vector<ViewRows::Term> ViewRows::terms() const
{
    static const QRegularExpression plain(QStringLiteral(R"(^(\[[^\]]+\]|[\p{L}_][\p{L}\p{N}_]*)(\s+(ASC|DESC))?$)"),
                                          QRegularExpression::CaseInsensitiveOption);
    const QString order = !m_query.Sort.trimmed().isEmpty() ? m_query.Sort : m_query.Order;
    std::vector<Term> out;
    bool hasKey = false;
    for (const QString& text : splitTerms(order)) {
        const auto m = plain.match(text);
        if (!m.hasMatch())
            throw AppError::object(AppError::kGenericCode, kSource,
                                   QStringLiteral("Ordine non ammesso per la lettura a pagine: %1").arg(text));
        Term t;
        t.name = m.captured(1);
        if (t.name.startsWith(u'[')) t.name = t.name.mid(1, t.name.size() - 2);
        t.descending = same(m.captured(3), QStringLiteral("DESC"));
        hasKey = hasKey || same(t.name, QStringLiteral("OID"));
        out.push_back(t);
    }
    if (!hasKey) out.push_back({QStringLiteral("OID"), false});
    return out;
}

QString ViewRows::OrderText() const
{
    QStringList parts;
    for (const Term& t : terms())
        parts << QStringLiteral("[%1]%2").arg(t.name, t.descending ? QStringLiteral(" DESC") : QString());
    return parts.join(QStringLiteral(", "));
}

ViewRows::Page ViewRows::run(const QString& jetSql) const
{
    Database::QueryRows r = m_db.RunQuery(jetSql);
    return Page {r.columns, r.rows};
}

ViewRows::Page ViewRows::First(int count) const { return run(m_query.Statement(count, QString(), OrderText())); }

ViewRows::Page ViewRows::After(const Page& earlier, int lastRow, int count) const
{
    if (lastRow < 0 || lastRow >= earlier.rows.size())
        throw AppError(AppError::kInvalidCall, kSource, QStringLiteral("Riga inesistente"));
    const QVariantList& row = earlier.rows[lastRow];
    // Rows after `row` in (t1, ..., tn) order: equal on the first terms, beyond it on the next.
    // SQLite puts Null first going up, so nothing comes after a Null going down.
    QStringList alternatives;
    QStringList equalSoFar;
    for (const Term& t : terms()) {
        int column = -1;
        for (int i = 0; i < earlier.columns.size() && column < 0; ++i)
            if (same(earlier.columns[i], t.name)) column = i;
        if (column < 0)
            throw AppError::object(
                AppError::kGenericCode, kSource,
                QStringLiteral("La colonna %1 dell'ordine non è tra quelle della vista").arg(t.name));
        const QVariant& v = row[column];
        const QString name = QStringLiteral("[%1]").arg(t.name);
        QString beyond;
        if (v.isNull()) {
            if (!t.descending) beyond = name + QStringLiteral(" Is Not Null");
        } else if (t.descending) {
            beyond = QStringLiteral("(%1 < %2 OR %1 Is Null)").arg(name, literal(m_db, v));
        } else {
            beyond = QStringLiteral("%1 > %2").arg(name, literal(m_db, v));
        }
        if (!beyond.isEmpty())
            alternatives << QStringList(equalSoFar + QStringList {beyond}).join(QStringLiteral(" AND "));
        equalSoFar << (v.isNull() ? name + QStringLiteral(" Is Null")
                                  : name + QStringLiteral(" = ") + literal(m_db, v));
    }
    if (alternatives.isEmpty()) return Page {earlier.columns, {}};
    QStringList wrapped;
    for (const QString& a : alternatives) wrapped << QStringLiteral("(") + a + QStringLiteral(")");
    return run(m_query.Statement(count, wrapped.join(QStringLiteral(" OR ")), OrderText()));
}

qint64 ViewRows::RowCount() const
{
    QString sql = QStringLiteral("SELECT Count(*) FROM ") + m_query.Table;
    if (!m_query.Where.trimmed().isEmpty()) sql += QStringLiteral(" WHERE ") + m_query.Where;
    const Database::QueryRows r = m_db.RunQuery(sql);
    return r.rows.isEmpty() ? 0 : r.rows.first().value(0).toLongLong();
}
