#include "OpenDocuments.h"
#include "base/AppError.h"
#include "objdb/Database.h"
#include "objdb/OpenRows.h"
#include <QStringList>

namespace {
QString counted(int n, const char* one, const char* many)
{
    return QString::number(n) + u' ' + QString::fromUtf8(n == 1 ? one : many);
}
}   // namespace

QString UndoneDocuments::StatusText() const
{
    QStringList done;
    if (sales) done << counted(sales, "vendita", "vendite");
    if (supplies) done << counted(supplies, "fornitura", "forniture");
    if (others) done << counted(others, "documento", "documenti");
    QStringList parts;
    if (!done.isEmpty())
        parts << QStringLiteral("Annullati i documenti rimasti aperti: ") + done.join(QStringLiteral(", "));
    if (failed)
        parts << (parts.isEmpty() ? QStringLiteral("Documenti") : QStringLiteral("documenti"))
                + QStringLiteral(" rimasti aperti non annullati: %1 (%2)").arg(failed).arg(failure);
    return parts.join(QStringLiteral("; "));
}

UndoneDocuments UndoAbandonedDocuments(Database& db)
{
    UndoneDocuments u;
    std::vector<objdb::UndoneRow> rows;
    try {
        rows = objdb::UndoAbandonedRows(db);
    } catch (const AppError& e) {
        u.failed = 1;
        u.failure = e.description;
        return u;
    }
    for (const objdb::UndoneRow& r : rows) {
        switch (r.outcome) {
        case objdb::UndoneRow::Outcome::Deleted:
            if (r.table.compare(QLatin1String("Vendite"), Qt::CaseInsensitive) == 0)
                ++u.sales;
            else if (r.table.compare(QLatin1String("Forniture"), Qt::CaseInsensitive) == 0)
                ++u.supplies;
            else
                ++u.others;
            break;
        case objdb::UndoneRow::Outcome::Failed:
            if (!u.failed++) u.failure = r.error;
            break;
        case objdb::UndoneRow::Outcome::Finished:
        case objdb::UndoneRow::Outcome::Missing: break;
        }
    }
    return u;
}
