#include "SupplierLinks.h"
#include "objdb/Database.h"
#include "objdb/DatabaseOperation.h"
#include "objdb/TableData.h"
#include "objdb/TableObject.h"
#include <QSet>

int LinkArticlesToSupplier(TableData& supply, TableData& rows)
{
    const qint64 supplier = supply.GetReferenceOID(QStringLiteral("Fornitore"));
    if (supplier == 0 || rows.IsEmpty()) return 0;
    Database& db = *supply.GetDatabase();
    TableObject& articoli = *db.Tables().Item(QStringLiteral("Articoli"));
    const QString list = QStringLiteral("Fornitori");

    QSet<qint64> seen;
    int linked = 0;
    DatabaseOperation operation(db);
    for (rows.MoveFirst(); !rows.IsEOF(); rows.MoveNext()) {
        const qint64 article = rows.GetParentKey().toLongLong();
        if (article == 0 || seen.contains(article)) continue;
        seen.insert(article);
        auto suppliers = articoli.Select(articoli.BuildKeyCondition(article));
        suppliers->MoveFirst();
        if (suppliers->IsEmpty()) continue;
        auto already = suppliers->GetReference(list);
        if (already->MoveToOID(supplier)) continue;
        suppliers->AddToList(list, supplier);
        ++linked;
    }
    operation.Commit();
    return linked;
}
