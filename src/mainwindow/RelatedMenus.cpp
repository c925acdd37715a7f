#include "RelatedMenus.h"
#include "base/AppError.h"
#include "core/configuration/Configuration.h"
#include "objdb/Database.h"
#include "core/lifecycle/ErrorReporting.h"
#include "dialogs/FormUtilities.h"
#include "objdb/TableData.h"
#include "objdb/TableObject.h"
#include "base/UiServices.h"

namespace {

const QString kSource = QStringLiteral("RelatedMenus");

bool same(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

}   // namespace

RelatedMenus::RelatedMenus(Database& db) : m_db(db) { }

QString RelatedMenus::HeaderCaption(RelatedKind kind)
{
    switch (kind) {
    case RelatedKind::Association: return QStringLiteral("< Associati >");
    case RelatedKind::Reference: return QStringLiteral("< Riferimenti >");
    case RelatedKind::Container: return QStringLiteral("< Contenitori >");
    }
    return QString();
}

std::vector<RelatedMenus::Item> RelatedMenus::items(const TableObject& table, RelatedKind kind) const
{
    std::vector<Item> out;
    auto captionOf = [&](const QString& tableName) {
        const TableObject* t = m_db.FindTable(tableName);
        return t ? t->Caption() : tableName;
    };
    switch (kind) {
    case RelatedKind::Association: {
        for (const ReferenceDefinition& r : table.References())
            if (r.IsList)
                out.push_back({r.Description.isEmpty() ? captionOf(r.TargetTable) : r.Description, QString(), r.Name});
        // The rows of other tables that point at this row (a sale's receipts, a customer's sales).
        TableCollection& tables = m_db.Tables();
        for (int i = 1; i <= tables.Count(); ++i) {
            const TableObject* other = tables.Item(i);
            for (const ReferenceDefinition& r : other->References())
                if (!r.IsList && same(r.TargetTable, table.Name()))
                    out.push_back({other->Caption(), other->Name(), r.Name});
        }
        break;
    }
    case RelatedKind::Reference:
        for (const ReferenceDefinition& r : table.References())
            if (!r.IsList)
                out.push_back({(r.Description.isEmpty() ? captionOf(r.TargetTable) : r.Description)
                                   + QStringLiteral(" (") + r.Name + u')',
                               QString(), r.Name});
        break;
    case RelatedKind::Container: {
        const QString word = table.Caption();
        auto caption = [&](const QString& holder) { return holder + GetSameWordPhrase(word, true) + word; };
        if (const TableObject* parent = table.Parent())
            out.push_back({caption(parent->Caption()), parent->Name(), QString(), true});
        // The documents whose lines these rows are.
        TableCollection& tables = m_db.Tables();
        for (int i = 1; i <= tables.Count(); ++i) {
            const TableObject* other = tables.Item(i);
            for (const ReferenceDefinition& r : other->References())
                if (r.IsList && r.IsOwned && same(r.TargetTable, table.Name())) {
                    out.push_back({caption(other->Caption()), other->Name(), r.Name, false});
                    break;
                }
        }
        break;
    }
    }
    return out;
}

RelatedMenuSet RelatedMenus::Build(const TableData* ds) const
{
    RelatedMenuSet set;
    if (!ds) return set;
    const RelatedKind kinds[] = {RelatedKind::Association, RelatedKind::Reference, RelatedKind::Container};
    std::vector<RelatedEntry>* groups[] = {&set.associations, &set.references, &set.containers};
    int offsets[3] = {0, 0, 0};
    for (const TableObject* level = ds->GetTable(); level; level = level->Parent()) {
        for (int k = 0; k < 3; ++k) {
            const std::vector<Item> found = items(*level, kinds[k]);
            for (size_t i = 0; i < found.size(); ++i) groups[k]->push_back({found[i].caption, offsets[k] + int(i) + 1});
            offsets[k] += int(found.size());
        }
    }
    const bool any = !set.associations.empty() || !set.references.empty() || !set.containers.empty();
    if (any) {
        set.associationsHeader = !set.associations.empty();
        set.referencesHeader = !set.references.empty();
        set.containersHeader = !set.containers.empty();
    }
    return set;
}

std::unique_ptr<TableData> RelatedMenus::open(TableData& level, const Item& item, RelatedKind kind) const
{
    std::unique_ptr<TableData> rows;
    switch (kind) {
    case RelatedKind::Association:
        rows = item.table.isEmpty() ? level.GetReference(item.reference)
                                    : level.GetReferencingRows(item.table, item.reference);
        break;
    case RelatedKind::Reference: rows = level.GetReference(item.reference); break;
    case RelatedKind::Container: rows = item.parent ? level.GetParentRow() : level.GetOwnerByTable(item.table); break;
    }
    if (!rows)
        throw AppError(AppError::kInvalidCall, kSource,
                       QStringLiteral("Nessun elemento di «%1» per la riga corrente").arg(item.caption));
    rows->MoveFirst();
    return rows;
}

std::optional<RelatedRows> RelatedMenus::Open(TableData& ds, RelatedKind kind, int number) const
{
    try {
        if (!ds.HasField(QStringLiteral("OID"))) {
            ui().msgBox(QStringLiteral("Operazione non abilitata in questa fase"), Msg::Information, g_strMsgTitle);
            return std::nullopt;
        }
        TableData* level = &ds;
        std::unique_ptr<TableData> holder;
        int n = number;
        for (;;) {
            const TableObject* table = level->GetTable();
            const std::vector<Item> found = items(*table, kind);
            if (n >= 1 && n <= int(found.size())) {
                RelatedRows out;
                out.title = found[size_t(n - 1)].caption;
                out.rows = open(*level, found[size_t(n - 1)], kind);
                return out;
            }
            n -= int(found.size());
            std::unique_ptr<TableData> up = n >= 1 && table->Parent() ? level->GetParentRow() : nullptr;
            if (!up)
                throw AppError(AppError::kInvalidCall, kSource, QStringLiteral("Elemento %1 non presente").arg(number));
            holder = std::move(up);
            level = holder.get();
        }
    } catch (...) {
        const AppError e = CurrentError();
        ShowErrorDetails(e, QStringLiteral("Si e' verificato un errore:\r\r") + e.description);
        return std::nullopt;
    }
}
