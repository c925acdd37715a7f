#include "DatabaseJetSchema.h"
#include "Database.h"
#include "Schema.h"
#include "SqlConnection.h"

namespace objdb {

namespace {
QString q(const QString& n) { return SqlConnection::quoteName(n); }
bool same(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

std::optional<JetSchema::Join> singleRefJoin(const TableSchema& from, const QString& fromAlias,
                                             const QString& qualifier)
{
    for (int i : from.singleRefs) {
        const RefSchema& r = from.refs[size_t(i)];
        if (!r.target || !same(r.target->name, qualifier)) continue;
        return JetSchema::Join {
            r.target->name, r.target->name,
            QStringLiteral("%1.\"OID\" = %2.%3").arg(q(r.target->name), q(fromAlias), q(r.def.column()))};
    }
    return std::nullopt;
}
}

std::optional<JetSchema::Join> DatabaseJetSchema::joinFor(const QString& fromTable, const QString& qualifier) const
{
    const TableSchema* from = m_db.schema(fromTable);
    if (!from) return std::nullopt;
    if (from->parent && same(from->parent->name, qualifier))
        return Join {from->parent->name, from->parent->name,
                     QStringLiteral("%1.\"OID\" = %2.\"objParent\"").arg(q(from->parent->name), q(from->name))};
    return singleRefJoin(*from, from->name, qualifier);
}

std::vector<JetSchema::Join> DatabaseJetSchema::joinPathFor(const QString& fromTable, const QString& qualifier) const
{
    if (auto j = joinFor(fromTable, qualifier)) return {*j};
    const TableSchema* from = m_db.schema(fromTable);
    if (!from) return {};
    // A table the parent refers to: through the parent.
    if (TableSchema* p = from->parent) {
        if (auto j = singleRefJoin(*p, p->name, qualifier)) {
            Join parent {p->name, p->name,
                         QStringLiteral("%1.\"OID\" = %2.\"objParent\"").arg(q(p->name), q(from->name))};
            return {parent, *j};
        }
    }
    // The owner of the row, or of its parent, through an owned list's link table.
    for (const TableSchema* s : {from, static_cast<const TableSchema*>(from->parent)}) {
        if (!s) continue;
        for (const auto& [owner, ref] : s->ownedBy) {
            if (!same(owner->name, qualifier)) continue;
            std::vector<Join> path;
            QString memberAlias = from->name;
            if (s != from) {
                path.push_back(
                    {s->name, s->name, QStringLiteral("%1.\"OID\" = %2.\"objParent\"").arg(q(s->name), q(from->name))});
                memberAlias = s->name;
            }
            const QString link = QStringLiteral("link_") + owner->name;
            path.push_back(
                {ref->linkTable, link, QStringLiteral("%1.\"MemberOID\" = %2.\"OID\"").arg(q(link), q(memberAlias))});
            path.push_back({owner->name, owner->name,
                            QStringLiteral("%1.\"OID\" = %2.\"OwnerOID\"").arg(q(owner->name), q(link))});
            return path;
        }
    }
    return {};
}

bool DatabaseJetSchema::isTable(const QString& name) const { return m_db.schema(name) != nullptr; }

std::optional<JetSchema::Column> DatabaseJetSchema::resolveField(const QString& fromTable, const QString& name) const
{
    const TableSchema* from = m_db.schema(fromTable);
    if (!from) return std::nullopt;
    // Booleans are told apart so that Jet's numeric True (-1) finds the stored 1.
    auto column = [](const TableSchema& t, const FieldSchema& f) {
        return Column {t.name, f.def.Name, f.kind == Kind::Boolean};
    };
    if (const FieldSchema* f = from->field(name)) return column(*from, *f);
    if (const RefSchema* r = from->ref(name); r && !r->isList()) return Column {from->name, r->def.column()};
    if (same(name, QStringLiteral("OID"))) return Column {from->name, QStringLiteral("OID")};
    if (from->isChild() && same(name, QStringLiteral("objParent")))
        return Column {from->name, QStringLiteral("objParent")};
    if (TableSchema* p = from->parent)
        if (const FieldSchema* f = p->field(name)) return column(*p, *f);
    return std::nullopt;
}

}   // namespace objdb
