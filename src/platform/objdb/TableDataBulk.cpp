// Bulk work between files: copying rows as they are (same OIDs, owned lines carried along,
// related rows brought in), deleting rows with their lines, exporting. No row rules run.
#include "Database.h"
#include "DBEngine.h"
#include "Notify.h"
#include "ObjDbError.h"
#include "BulkCopy.h"
#include "ObjDbInternal.h"
#include "SqlConnection.h"
#include "TableObject.h"
#include <QFile>
#include <QSet>
#include <algorithm>
#include "base/FileOps.h"

using namespace objdb;

namespace {

QString q(const QString& n) { return SqlConnection::quoteName(n); }

// The OIDs of a data set's rows, in its order.
QList<qint64> rowOids(TableData::Impl& d)
{
    QList<qint64> oids;
    if (d.source == TableData::Impl::Source::Bound) {
        if (d.cur && !d.cur->isNew) oids << d.cur->oid;
        return oids;
    }
    QVariantList params;
    const QString where = compiledWhere(d, params);
    QStringList ob;
    for (const auto& o : d.query->order) ob << o.sql + (o.desc ? QStringLiteral(" DESC") : QString());
    auto st
        = d.engine->sql().prepare(QStringLiteral("SELECT %1.\"OID\" FROM %2 WHERE %3 ORDER BY %4")
                                      .arg(d.schema->quoted(), d.query->from, where, ob.join(QStringLiteral(", "))));
    st.bindAll(params);
    while (st.next()) oids << st.int64(0);
    return oids;
}

}   // namespace

QStringList objdb::copyKeyOf(const Database& destination, const TableSchema& table)
{
    const TableSchema* declared = destination.schema(table.name);
    return declared && !declared->identity.CopyKey.isEmpty() ? declared->identity.CopyKey : table.identity.CopyKey;
}

QHash<qint64, qint64> objdb::copyKeyMatches(SqlConnection& source, SqlConnection& destination, const TableSchema& table,
                                            const QStringList& keyFields,
                                            const std::function<qint64(qint64)>& ownerThere)
{
    QHash<qint64, qint64> matches;
    for (SqlConnection* c : {&source, &destination}) {
        QSet<QString> columns;
        for (const auto& [name, type] : c->tableColumns(table.name)) columns.insert(name.toLower());
        for (const QString& f : keyFields)
            if (!columns.contains(f.toLower())) return matches;
    }
    QStringList keyColumns;
    for (const QString& f : keyFields) keyColumns << QStringLiteral("t.") + q(f);
    const TableSchema* owner = table.ownedBy.empty() ? nullptr : table.ownedBy.front().first;
    const QString link = owner ? table.ownedBy.front().second->linkTable : QString();
    const QString sql = owner
        ? QStringLiteral("SELECT t.\"OID\", l.\"OwnerOID\", %1 FROM %2 t JOIN %3 l ON l.\"MemberOID\" = t.\"OID\"")
              .arg(keyColumns.join(QStringLiteral(", ")), table.quoted(), q(link))
        : QStringLiteral("SELECT t.\"OID\", 0, %1 FROM %2 t")
              .arg(keyColumns.join(QStringLiteral(", ")), table.quoted());
    // Texts compare as the program compares them: without case.
    const auto keyOf = [&](SqlConnection::Stmt& st, qint64 ownerOid) {
        QString k = QString::number(ownerOid);
        for (int i = 0; i < keyFields.size(); ++i) k += QChar(0x1f) + st.value(i + 2).toString().toCaseFolded();
        return k;
    };
    QHash<QString, QList<qint64>> inDestination;
    QSet<qint64> destinationOids;
    {
        auto st = destination.prepare(sql);
        while (st.next()) inDestination[keyOf(st, st.int64(1))] << st.int64(0);
    }
    {
        auto all = destination.prepare(QStringLiteral("SELECT \"OID\" FROM %1").arg(table.quoted()));
        while (all.next()) destinationOids.insert(all.int64(0));
    }
    QHash<QString, QList<qint64>> missing;
    {
        auto st = source.prepare(sql);
        while (st.next()) {
            const qint64 oid = st.int64(0);
            if (destinationOids.contains(oid)) continue;
            missing[keyOf(st, owner ? ownerThere(st.int64(1)) : 0)] << oid;
        }
    }
    // An archive that already holds a default row twice (as earlier copies left it) brings
    // no third: every source row with the key goes to the one destination row.
    for (auto it = missing.cbegin(); it != missing.cend(); ++it) {
        const QList<qint64> there = inDestination.value(it.key());
        if (there.size() != 1) continue;
        for (qint64 oid : *it) matches.insert(oid, there.first());
    }
    return matches;
}

std::vector<std::pair<QString, QString>> objdb::pointersTo(const Database& destination, const TableSchema& table,
                                                           const QString& ownLink)
{
    const auto isTable = [&](const TableSchema* resolved, const QString& declared) {
        return (resolved && resolved->name.compare(table.name, Qt::CaseInsensitive) == 0)
            || declared.compare(table.name, Qt::CaseInsensitive) == 0;
    };
    std::vector<std::pair<QString, QString>> out;
    for (const auto& t : destination.schemas()) {
        if (isTable(t->parent, t->identity.ParentTable)) out.emplace_back(t->name, QStringLiteral("objParent"));
        for (const RefSchema& r : t->refs) {
            if (!isTable(r.target, r.def.TargetTable)) continue;
            if (!r.isList())
                out.emplace_back(t->name, r.def.column());
            else if (r.linkTable.compare(ownLink, Qt::CaseInsensitive) != 0)
                out.emplace_back(r.linkTable, QStringLiteral("MemberOID"));
        }
    }
    return out;
}

namespace {

void deleteDeep(Database& db, DBEngine& engine, TableSchema& table, qint64 oid);

class Copier {
public:
    Copier(Database& srcDb, DBEngine& src, Database& dstDb, DBEngine& dst, bool replaceRelated)
        : m_srcDb(srcDb), m_src(src), m_dstDb(dstDb), m_dst(dst), m_replaceRelated(replaceRelated)
    { }

    // Copies one row (with what it points to and its owned lines) and returns its OID in the
    // destination: the same OID, unless the destination already holds the same row under
    // another OID (a default row each file made for itself, found by a unique index). A row
    // not replaced that the destination holds is kept as the destination has it, owned lines
    // included; met again as a row to replace, it is replaced then. A row replaced or added
    // has exactly the source's owned lines.
    qint64 copy(TableSchema& table, qint64 oid, bool replace)
    {
        const QString key = table.name.toLower() + u'|' + QString::number(oid);
        if (auto it = m_done.find(key); it != m_done.end()) {
            // Met again as a row to replace: replaced now, or as it is stored when it is still
            // on its way (met again through what it points to).
            if (replace && !it->replace) {
                it->replace = true;
                if (it->stored) store(table, oid, key);
            }
            return m_done.value(key).there;
        }
        matchTable(table);
        // A row the destination made for itself under another OID: the same row, updated.
        const qint64 matched = m_matched.value(key, 0);
        m_done.insert(key, Visit {matched ? matched : oid, replace, false});
        store(table, oid, key);
        return m_done.value(key).there;
    }

private:
    // What the copy did with a row: its OID in the destination, whether it is replaced, and
    // whether it has been stored yet.
    struct Visit {
        qint64 there = 0;
        bool replace = false;
        bool stored = false;
    };

    void store(TableSchema& table, qint64 oid, const QString& key)
    {
        const Columns& cols = columns(table.name);
        auto st = m_src.sql().prepare(
            QStringLiteral("SELECT %1 FROM %2 WHERE \"OID\" = ?").arg(cols.select, table.quoted()));
        st.bind(1, oid);
        if (!st.next()) {   // a reference to a row that no longer exists: nothing to bring
            m_done[key].stored = true;
            return;
        }
        QVariantList values;
        for (int i = 0; i < cols.names.size(); ++i) values << st.value(i);
        // What the row points to comes first, so the copy never points nowhere.
        if (table.parent && cols.parentIndex >= 0 && !values[cols.parentIndex].isNull())
            values[cols.parentIndex] = copy(*table.parent, values[cols.parentIndex].toLongLong(), m_replaceRelated);
        for (int i : table.singleRefs) {
            const RefSchema& r = table.refs[size_t(i)];
            const int c = int(cols.names.indexOf(r.def.column()));
            if (r.target && c >= 0 && !values[c].isNull())
                values[c] = copy(*r.target, values[c].toLongLong(), m_replaceRelated);
        }
        const qint64 matched = m_matched.value(key, 0);
        const bool replace = m_done.value(key).replace;
        SqlConnection& dst = m_dstDb.writer(m_dst);
        qint64 there = oid;
        bool kept = false;
        const auto updateAt = [&](qint64 row) {
            QVariantList update = values;
            update.removeAt(int(cols.names.indexOf(QStringLiteral("OID"))));
            update << row;
            dst.execute(cols.updateByOid, update);
        };
        try {
            if (matched) {
                there = matched;
                if (replace)
                    updateAt(there);
                else
                    kept = true;
            } else if (replace) {
                dst.execute(cols.upsert, values);
            } else {
                kept = dst.execute(cols.insertIfMissing, values) == 0;
            }
        } catch (const AppError& e) {
            if (e.number != errorNumber(UniqueViolation)) throw;
            there = sameRow(table, cols, values);
            if (!there) throw objdb::error(UniqueViolation, table.name, uniqueViolationMessage(table, e.description));
            if (replace && there != oid) updateAt(there);
            kept = !replace;
        }
        Visit& v = m_done[key];
        v.there = there;
        v.stored = true;
        for (const RefSchema& r : table.refs) {
            if (!r.isList() || !r.target) continue;
            // The lines of a row kept are the destination's.
            if (r.def.IsOwned && kept) continue;
            QList<qint64> members;
            {
                auto ms = m_src.sql().prepare(
                    QStringLiteral("SELECT \"MemberOID\" FROM %1 WHERE \"OwnerOID\" = ?").arg(q(r.linkTable)));
                ms.bind(1, oid);
                while (ms.next()) members << ms.int64(0);
            }
            QSet<qint64> brought;
            for (qint64 m : members) {
                // Owned lines travel with their document; other members are related rows.
                const qint64 member = copy(*r.target, m, r.def.IsOwned ? true : m_replaceRelated);
                dst.execute(QStringLiteral("INSERT OR IGNORE INTO %1 (\"OwnerOID\", \"MemberOID\") VALUES (?, ?)")
                                .arg(q(r.linkTable)),
                            {there, member});
                brought.insert(member);
            }
            if (r.def.IsOwned) dropLinesBeyond(r, there, brought);
        }
    }

    // A document replaced is the source's, lines and all: the lines the destination holds
    // under it beyond `brought` go, with their own lines and links. Not one that something
    // else of the destination still points to (a customer's voucher that archived sales
    // used): that one stays where it is.
    void dropLinesBeyond(const RefSchema& list, qint64 owner, const QSet<qint64>& brought)
    {
        SqlConnection& dst = m_dstDb.writer(m_dst);
        QList<qint64> beyond;
        {
            auto st = dst.prepare(
                QStringLiteral("SELECT \"MemberOID\" FROM %1 WHERE \"OwnerOID\" = ?").arg(q(list.linkTable)));
            st.bind(1, owner);
            while (st.next())
                if (!brought.contains(st.int64(0))) beyond << st.int64(0);
        }
        if (beyond.isEmpty()) return;
        TableSchema* member = m_dstDb.schema(list.target->name);
        if (!member) member = list.target;
        const auto pointers = pointersTo(m_dstDb, *member, list.linkTable);
        for (qint64 oid : beyond) {
            const bool pointedAt = std::any_of(pointers.begin(), pointers.end(), [&](const auto& p) {
                return dst.scalar(QStringLiteral("SELECT EXISTS (SELECT 1 FROM %1 WHERE %2 = ?)")
                                      .arg(q(p.first), q(p.second)),
                                  {oid})
                           .toLongLong()
                    != 0;
            });
            if (!pointedAt) deleteDeep(m_dstDb, m_dst, *member, oid);
        }
    }

    // The rows of `table` (with a copy key) that the destination holds under other OIDs: a
    // source row absent from the destination goes to the destination row with its key when
    // there is exactly one (an archive that already holds a default row twice, as earlier
    // copies left it, brings no third). Members of an owned list are matched among the
    // members of the same owner (the owner matched first).
    void matchTable(const TableSchema& table)
    {
        if (m_matchedTables.contains(table.name.toLower())) return;
        m_matchedTables.insert(table.name.toLower());
        const QStringList keyFields = copyKeyOf(m_dstDb, table);
        if (keyFields.isEmpty()) return;
        const TableSchema* owner = table.ownedBy.empty() ? nullptr : table.ownedBy.front().first;
        if (owner) matchTable(*owner);
        const QHash<qint64, qint64> matches = copyKeyMatches(
            m_src.sql(), m_dst.sql(), table, keyFields, [&](qint64 ownerOid) {
                return owner ? m_matched.value(owner->name.toLower() + u'|' + QString::number(ownerOid), ownerOid) : 0;
            });
        for (auto it = matches.cbegin(); it != matches.cend(); ++it)
            m_matched.insert(table.name.toLower() + u'|' + QString::number(it.key()), it.value());
    }

    struct Columns {
        QStringList names;
        QString select, upsert, insertIfMissing, updateByOid;
        int parentIndex = -1;
    };

    // The destination row equal to `values` on one of the table's unique indexes; 0: none.
    qint64 sameRow(const TableSchema& table, const Columns& cols, const QVariantList& values)
    {
        for (const IndexSchema& ix : table.indexes) {
            if (!ix.unique) continue;
            QStringList conds;
            QVariantList params;
            bool usable = true;
            for (const QString& col : ix.columns) {
                const int i = int(cols.names.indexOf(col));
                if (i < 0) {
                    usable = false;
                    break;
                }
                conds << q(col) + QStringLiteral(" IS ?");
                params << values[i];
            }
            if (!usable || conds.isEmpty()) continue;
            QVariant found = m_dst.sql().scalar(QStringLiteral("SELECT \"OID\" FROM %1 WHERE %2 LIMIT 1")
                                                    .arg(table.quoted(), conds.join(QStringLiteral(" AND "))),
                                                params);
            if (!found.isNull()) return found.toLongLong();
        }
        return 0;
    }

    const Columns& columns(const QString& table)
    {
        auto it = m_columns.find(table.toLower());
        if (it != m_columns.end()) return *it;
        QSet<QString> there;
        for (const auto& [n, t] : m_dst.sql().tableColumns(table)) there.insert(n.toLower());
        if (there.isEmpty())
            throw objdb::error(UnknownTable, table,
                               QStringLiteral("La tabella %1 non esiste nell'archivio di destinazione").arg(table));
        Columns c;
        for (const auto& [n, t] : m_src.sql().tableColumns(table))
            if (there.contains(n.toLower())) c.names << n;
        QStringList quoted, marks, sets;
        for (const QString& n : c.names) {
            quoted << q(n);
            marks << QStringLiteral("?");
            if (n.compare(QLatin1String("OID"), Qt::CaseInsensitive) != 0)
                sets << q(n) + QStringLiteral(" = excluded.") + q(n);
        }
        c.parentIndex = int(c.names.indexOf(QStringLiteral("objParent")));
        c.select = quoted.join(QStringLiteral(", "));
        const QString insert = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                   .arg(q(table), c.select, marks.join(QStringLiteral(", ")));
        c.upsert = insert
            + (sets.isEmpty()
                   ? QStringLiteral(" ON CONFLICT(\"OID\") DO NOTHING")
                   : QStringLiteral(" ON CONFLICT(\"OID\") DO UPDATE SET ") + sets.join(QStringLiteral(", ")));
        c.insertIfMissing = insert + QStringLiteral(" ON CONFLICT(\"OID\") DO NOTHING");
        QStringList assigns;
        for (const QString& n : c.names)
            if (n.compare(QLatin1String("OID"), Qt::CaseInsensitive) != 0) assigns << q(n) + QStringLiteral(" = ?");
        c.updateByOid
            = QStringLiteral("UPDATE %1 SET %2 WHERE \"OID\" = ?").arg(q(table), assigns.join(QStringLiteral(", ")));
        return *m_columns.insert(table.toLower(), c);
    }

    Database& m_srcDb;
    DBEngine& m_src;
    Database& m_dstDb;
    DBEngine& m_dst;
    bool m_replaceRelated;
    QHash<QString, Visit> m_done;   // rows reached, by table and OID
    QHash<QString, qint64> m_matched;   // rows the destination holds under another OID
    QSet<QString> m_matchedTables;
    QHash<QString, Columns> m_columns;
};

bool stopped(itfProgress* p, int total, int done)
{
    return p && (!p->OnProgress(0, total, done, 0, 0) || p->OnStopped());
}

// The progress's end, however the work ends.
struct ProgressEnd {
    itfProgress* progress;
    ~ProgressEnd()
    {
        if (progress) progress->OnEnd(0, 0);
    }
};

// Copies the rows of `table` with these OIDs from one file into another: by sets of rows
// while the files are linked (FileLink), row by row otherwise, with the same result. False
// when stopped (nothing was copied then).
bool copyBetween(Database& srcDb, DBEngine& src, TableSchema& table, Database& dstDb, DBEngine& dst,
                 const QList<qint64>& oids, itfProgress* progress, bool copyRelated)
{
    if (&src == &dst) return true;   // the same file: every row is already there
    OpScope op(dstDb, OpKind::Bulk);
    const int total = int(oids.size());
    if (progress) progress->OnStart(0, total);
    const ProgressEnd end {progress};
    dstDb.event(NotifyAction::CopyStarted, table.name, QString());
    bool copied = false;
    if (const QString alias = dst.attachedAs(src); !alias.isEmpty()) {
        try {
            OpScope attempt(dstDb, OpKind::Bulk);
            switch (copyBySets(srcDb, table, dstDb, dst, alias, oids, progress, copyRelated)) {
            case SetWork::Done:
                attempt.commit();
                copied = true;
                break;
            case SetWork::Stopped: return false;   // rolled back
            case SetWork::RowByRow: break;
            }
        } catch (const AppError& e) {
            // Rows that would share a unique key among themselves: the copy row by row
            // finds which of them the others are.
            if (e.number != errorNumber(UniqueViolation)) throw;
        }
    }
    if (!copied) {
        Copier copier(srcDb, src, dstDb, dst, copyRelated);
        int done = 0;
        for (qint64 oid : oids) {
            copier.copy(table, oid, true);
            if (stopped(progress, total, ++done)) return false;   // rolled back
        }
    }
    op.commit();
    dstDb.event(NotifyAction::CopyEnded, table.name, QString());
    return true;
}

// Deletes the rows of `table` with these OIDs with their owned lines and memberships. False
// when stopped (nothing was deleted then).
bool deleteOids(Database& db, DBEngine& engine, TableSchema& table, const QList<qint64>& oids, itfProgress* progress)
{
    OpScope op(db, OpKind::Bulk);
    if (progress) progress->OnStart(0, int(oids.size()));
    const ProgressEnd end {progress};
    if (deleteBySets(db, engine, table, oids, progress) == SetWork::Stopped) return false;
    op.commit();
    return true;
}

// Removes a stored row with its owned lines and memberships, no rules.
void deleteDeep(Database& db, DBEngine& engine, TableSchema& table, qint64 oid)
{
    SqlConnection& c = db.writer(engine);
    for (const RefSchema& r : table.refs) {
        if (!r.isList()) continue;
        if (r.def.IsOwned && r.target) {
            QList<qint64> members;
            {
                auto st = c.prepare(
                    QStringLiteral("SELECT \"MemberOID\" FROM %1 WHERE \"OwnerOID\" = ?").arg(q(r.linkTable)));
                st.bind(1, oid);
                while (st.next()) members << st.int64(0);
            }
            for (qint64 m : members) deleteDeep(db, engine, *r.target, m);
        }
        c.execute(QStringLiteral("DELETE FROM %1 WHERE \"OwnerOID\" = ?").arg(q(r.linkTable)), {oid});
    }
    for (const RefSchema* r : db.listsTo(table))
        c.execute(QStringLiteral("DELETE FROM %1 WHERE \"MemberOID\" = ?").arg(q(r->linkTable)), {oid});
    c.execute(QStringLiteral("DELETE FROM %1 WHERE \"OID\" = ?").arg(table.quoted()), {oid});
}

QString htmlEscape(const QString& s) { return s.toHtmlEscaped(); }

}   // namespace

bool TableData::CopyRows(TableData& target, itfProgress* progress, bool copyRelated)
{
    auto& dst = DataSetAccess::impl(target);
    if (!copyBetween(*d->db, *d->engine, *d->schema, *dst.db, *dst.engine, rowOids(*d), progress, copyRelated))
        return false;
    invalidateQuery(dst);
    return true;
}

bool TableData::CopyRowTo(TableData& target, bool copyRelated)
{
    const qint64 oid = GetOID();
    if (!oid) return false;
    auto& dst = DataSetAccess::impl(target);
    if (!copyBetween(*d->db, *d->engine, *d->schema, *dst.db, *dst.engine, {oid}, nullptr, copyRelated)) return false;
    invalidateQuery(dst);
    return true;
}

bool TableData::DeleteRows(itfProgress* progress)
{
    if (!deleteOids(*d->db, *d->engine, *d->schema, rowOids(*d), progress)) return false;
    setCurrent(*d, nullptr);
    invalidateQuery(*d);
    return true;
}

bool TableObject::CopyRowsTo(const QList<qint64>& oids, TableObject& target, itfProgress* progress, bool copyRelated)
{
    const std::shared_ptr<DBEngine> src = m_db.GetEngine();
    const std::shared_ptr<DBEngine> dst = target.m_db.GetEngine();
    if (!src || !src->IsOpen() || !dst || !dst->IsOpen())
        throw objdb::error(NotOpen, Name(), QStringLiteral("Database non aperto"));
    return copyBetween(m_db, *src, m_schema, target.m_db, *dst, oids, progress, copyRelated);
}

bool TableObject::DeleteRows(const QList<qint64>& oids, itfProgress* progress)
{
    const std::shared_ptr<DBEngine> engine = m_db.GetEngine();
    if (!engine || !engine->IsOpen()) throw objdb::error(NotOpen, Name(), QStringLiteral("Database non aperto"));
    return deleteOids(m_db, *engine, m_schema, oids, progress);
}

void TableData::DeleteRowWithoutRules()
{
    RowState& row = currentRow(*this);
    if (row.isNew) {
        setCurrent(*d, nullptr);
        d->eof = true;
        return;
    }
    Database& db = *d->db;
    OpScope op(db, OpKind::Bulk);
    deleteDeep(db, *d->engine, *d->schema, row.oid);
    op.commit();
    row.deleted = true;
    setCurrent(*d, nullptr);
    d->eof = true;
}

QString TableData::ExportHtml(const QString& fieldOrder)
{
    QStringList names;
    QStringList captions;
    if (!fieldOrder.trimmed().isEmpty()) {
        for (const QString& n : fieldOrder.split(u',', Qt::SkipEmptyParts)) {
            FieldInfo i = GetFieldInfo(n.trimmed());
            names << i.Name;
            captions << i.Caption;
        }
    } else {
        for (const FieldInfo& i : GetFieldInfos())
            if (i.Shown && i.TypeCode != -1) {
                names << i.Name;
                captions << i.Caption;
            }
    }
    QString html
        = QStringLiteral("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>%1</title></head><body>\n"
                         "<table border=\"1\">\n<tr>")
              .arg(htmlEscape(GetTable()->Caption()));
    for (const QString& c : captions) html += QStringLiteral("<th>") + htmlEscape(c) + QStringLiteral("</th>");
    html += QStringLiteral("</tr>\n");
    auto rows = Clone();
    for (rows->MoveFirst(); !rows->IsEOF(); rows->MoveNext()) {
        html += QStringLiteral("<tr>");
        for (const QString& n : names)
            html += QStringLiteral("<td>") + htmlEscape(rows->GetText(n)) + QStringLiteral("</td>");
        html += QStringLiteral("</tr>\n");
    }
    html += QStringLiteral("</table>\n</body></html>\n");
    return html;
}

bool TableData::Export(int format, const QString& path, itfProgress* progress, const QString& fieldOrder)
{
    QString text;
    if (format == 2) {
        text = ExportHtml(fieldOrder);
    } else {
        // Tab-separated text with a header line.
        QStringList names;
        for (const FieldInfo& i : GetFieldInfos())
            if (i.Shown && i.TypeCode != -1) names << i.Name;
        text = names.join(u'\t') + u'\n';
        auto rows = Clone();
        for (rows->MoveFirst(); !rows->IsEOF(); rows->MoveNext()) {
            QStringList cells;
            for (const QString& n : names) cells << rows->GetText(n);
            text += cells.join(u'\t') + u'\n';
        }
    }
    if (progress) progress->OnEnd(0, 0);
    return fileOps().writeFile(path, text.toUtf8());
}
