// Bulk work by sets of rows: the copy of rows with everything a row copy carries (what they
// point to, their owned lines, their lists), and their deletion with their lines, done as a
// few statements per table instead of a few per row. The rows and OIDs it leaves are those
// the copy row by row leaves (TableDataBulk.cpp); no row rule runs in either.
//
// The rows to copy are gathered first, a temporary table per table, on the destination's
// connection (the source file is attached to it); then, in the order in which tables point
// to one another, each table's rows that the destination already holds under another OID
// (by its copy key, or by a unique index) are noted. A row the copy does not replace and the
// destination already holds is kept as the destination has it, with its owned lines: those
// are gathered only under rows replaced or added, which takes another round of gathering
// once the rows held are known. The lines the destination holds under a row replaced beyond
// the source's go next. Last, each table's rows are inserted or replaced in one statement,
// references turned to the destination's OIDs on the way, and the lists' link rows follow.
#include "BulkCopy.h"
#include "DBEngine.h"
#include "Database.h"
#include "Notify.h"
#include "ObjDbError.h"
#include "ObjDbInternal.h"
#include "SqlConnection.h"
#include <QHash>
#include <QSet>
#include <algorithm>
#include <atomic>

namespace objdb {

namespace {

QString q(const QString& n) { return SqlConnection::quoteName(n); }
QString literal(const QString& text) { return u'\'' + QString(text).replace(u'\'', QStringLiteral("''")) + u'\''; }

bool stopped(itfProgress* p, int total, int done)
{
    return p && (!p->OnProgress(0, total, done, 0, 0) || p->OnStopped());
}

// Progress over a fixed number of steps, shown on the scale of the rows asked for.
class Steps {
public:
    Steps(itfProgress* progress, int rows) : m_progress(progress), m_rows(rows) { }
    void plan(int steps) { m_steps = std::max(steps, 1); }
    // False when the operator stopped the work.
    bool next()
    {
        ++m_done;
        return !stopped(m_progress, m_rows, int(qint64(m_rows) * std::min(m_done, m_steps) / m_steps));
    }

private:
    itfProgress* m_progress;
    int m_rows;
    int m_steps = 1;
    int m_done = 0;
};

// A reference column of a table: the column and the table its values are OIDs of.
struct RefColumn {
    QString column;
    TableSchema* target;
};

std::vector<RefColumn> referenceColumns(TableSchema& t)
{
    std::vector<RefColumn> out;
    if (t.parent) out.push_back({QStringLiteral("objParent"), t.parent});
    for (int i : t.singleRefs) {
        const RefSchema& r = t.refs[size_t(i)];
        if (r.target) out.push_back({r.def.column(), r.target});
    }
    return out;
}

// Each run's temporary tables have names of their own: emptying or dropping a table of a
// hundred thousand rows inside the copy's transaction would cost as much as filling it. They
// go with the link (FileLink), outside any transaction.
int nextRun()
{
    static std::atomic<int> run {0};
    return ++run;
}

void deletions(Database& db, TableSchema& t, const QString& oidsSql, const RefSchema* via, QStringList& out);

class SetCopier {
public:
    SetCopier(Database& srcDb, Database& dstDb, DBEngine& dst, const QString& alias, bool related)
        : m_srcDb(srcDb), m_dstDb(dstDb), m_dst(dst), m_c(dstDb.writer(dst)), m_alias(q(alias)),
          m_related(related ? 1 : 0), m_run(nextRun())
    {
        m_map = QStringLiteral("temp.objdb_m%1").arg(m_run);
        m_c.execute(QStringLiteral("CREATE TEMP TABLE objdb_m%1 (tbl TEXT NOT NULL, src INTEGER NOT NULL, "
                                   "dst INTEGER NOT NULL, PRIMARY KEY (tbl, src)) WITHOUT ROWID")
                        .arg(m_run));
    }

    SetWork run(TableSchema& top, const QList<qint64>& oids, itfProgress* progress)
    {
        Steps steps(progress, int(oids.size()));
        {
            auto seed = m_c.prepare(
                QStringLiteral("INSERT OR IGNORE INTO %1 (oid, replace, gen) VALUES (?, 1, 0)").arg(rows(top)));
            for (qint64 oid : oids) {
                seed.reset().bind(1, oid);
                seed.exec();
            }
        }
        std::vector<TableSchema*> order;
        QSet<TableSchema*> fresh {&top};
        do {
            gather(fresh);
            fresh.clear();
            order.clear();
            if (!ordered(order)) return SetWork::RowByRow;
            for (TableSchema* t : order)
                if (!columns(*t)) return SetWork::RowByRow;
            mapKnownRows(order);
        } while (admitAddedOwners());
        for (TableSchema* t : order) dropLinesBeyond(*t);
        steps.plan(int(order.size()) + 1);
        for (TableSchema* t : order) {
            insertRows(*t);
            if (!steps.next()) return SetWork::Stopped;
        }
        for (TableSchema* t : order) copyLinks(*t);
        if (!steps.next()) return SetWork::Stopped;
        return SetWork::Done;
    }

private:
    // The temporary table of the rows of `t` to copy: OID, whether the copy replaces the row
    // the destination holds, the round that reached it, and where its owned lists stand
    // (one of the kLists values below).
    QString rows(TableSchema& t)
    {
        if (auto it = m_rows.find(&t); it != m_rows.end()) return *it;
        const QString name = QStringLiteral("objdb_r%1_%2").arg(m_run).arg(m_rows.size() + 1);
        m_c.execute(
            QStringLiteral(
                "CREATE TEMP TABLE %1 (oid INTEGER PRIMARY KEY, replace INTEGER NOT NULL, gen INTEGER NOT NULL, "
                "lists INTEGER NOT NULL DEFAULT 0)")
                .arg(name));
        m_order << &t;
        return *m_rows.insert(&t, QStringLiteral("temp.") + name);
    }

    // Where a row's owned lists stand: not followed (the row is kept, unless replaced or found
    // missing), to follow (a row the destination lacks, added with its lines), being followed
    // in this round, followed (their members and links travel with the row).
    static constexpr int kListsOpen = 0, kListsAdmitted = 1, kListsFollowing = 2, kListsFollowed = 3;

    static bool hasOwnedLists(const TableSchema& t)
    {
        return std::any_of(t.refs.begin(), t.refs.end(),
                           [](const RefSchema& r) { return r.isList() && r.def.IsOwned && r.target; });
    }

    // Every row a copy row by row would reach: parents and referenced rows as related rows
    // (replaced only with copyRelated), members of owned lists as rows of their own (only
    // under a row replaced or admitted as missing), members of other lists as related rows;
    // each table's rows once, round by round, from the tables with rows of the last round.
    void gather(QSet<TableSchema*> fresh)
    {
        for (;;) {
            const int gen = m_gen;
            QSet<TableSchema*> next;
            bool followed = false;
            // Owned lines come under the rows replaced and those admitted, whenever reached. A
            // row the source no longer holds (asked for again by a move finished after a
            // crash) brings nothing and replaces nothing: the destination keeps its lines.
            for (TableSchema* t : QList<TableSchema*>(m_order)) {
                if (!hasOwnedLists(*t)) continue;
                if (m_c.execute(QStringLiteral(
                                    "UPDATE %1 AS r SET lists = %2 WHERE (lists = %3 OR (lists = %4 AND replace = 1)) "
                                    "AND EXISTS (SELECT 1 FROM %5.%6 s WHERE s.\"OID\" = r.oid)")
                                    .arg(rows(*t))
                                    .arg(kListsFollowing)
                                    .arg(kListsAdmitted)
                                    .arg(kListsOpen)
                                    .arg(m_alias, t->quoted()))
                    == 0)
                    continue;
                followed = true;
                const QString owners
                    = QStringLiteral("SELECT oid FROM %1 WHERE lists = %2").arg(rows(*t)).arg(kListsFollowing);
                for (const RefSchema& r : t->refs) {
                    if (!r.isList() || !r.def.IsOwned || !r.target) continue;
                    // A member of an owned list has one owner.
                    if (add(*r.target,
                            QStringLiteral("SELECT \"MemberOID\" AS o FROM %1.%2 WHERE \"OwnerOID\" IN (%3)")
                                .arg(m_alias, q(r.linkTable), owners),
                            1, gen + 1))
                        next.insert(r.target);
                }
                m_c.execute(QStringLiteral("UPDATE %1 SET lists = %2 WHERE lists = %3")
                                .arg(rows(*t))
                                .arg(kListsFollowed)
                                .arg(kListsFollowing));
            }
            for (TableSchema* t : std::as_const(fresh)) {
                const QString reached = QStringLiteral("SELECT oid FROM %1 WHERE gen = %2").arg(rows(*t)).arg(gen);
                // Every reference column read in one pass over the rows reached.
                const std::vector<RefColumn> refs = referenceColumns(*t);
                if (refs.size() == 1) {
                    if (add(*refs.front().target,
                            QStringLiteral(
                                "SELECT DISTINCT %1 AS o FROM %2.%3 WHERE \"OID\" IN (%4) AND %1 IS NOT NULL")
                                .arg(q(refs.front().column), m_alias, t->quoted(), reached),
                            m_related, gen + 1))
                        next.insert(refs.front().target);
                } else if (!refs.empty()) {
                    QStringList columns;
                    for (const RefColumn& r : refs) columns << q(r.column);
                    std::vector<QSet<qint64>> pointed(refs.size());
                    auto st = m_c.prepare(QStringLiteral("SELECT %1 FROM %2.%3 WHERE \"OID\" IN (%4)")
                                              .arg(columns.join(u','), m_alias, t->quoted(), reached));
                    while (st.next())
                        for (size_t i = 0; i < refs.size(); ++i)
                            if (!st.isNull(int(i))) pointed[i].insert(st.int64(int(i)));
                    for (size_t i = 0; i < refs.size(); ++i)
                        if (add(*refs[i].target, pointed[i], m_related, gen + 1)) next.insert(refs[i].target);
                }
                for (const RefSchema& r : t->refs) {
                    if (!r.isList() || r.def.IsOwned || !r.target) continue;
                    if (add(*r.target,
                            QStringLiteral("SELECT DISTINCT \"MemberOID\" AS o FROM %1.%2 WHERE \"OwnerOID\" IN (%3)")
                                .arg(m_alias, q(r.linkTable), reached),
                            m_related, gen + 1))
                        next.insert(r.target);
                }
            }
            ++m_gen;
            // A row met again as one to replace may have lists to follow though nothing is new.
            if (next.isEmpty() && !followed) return;
            fresh = next;
        }
    }

    // The rows kept so far that the destination does not hold, under their OID or another:
    // added by the copy, they bring their owned lists. True when there are such rows (to be
    // gathered, then matched again).
    bool admitAddedOwners()
    {
        bool admitted = false;
        for (TableSchema* t : std::as_const(m_order)) {
            if (!hasOwnedLists(*t)) continue;
            admitted
                |= m_c.execute(QStringLiteral("UPDATE %1 AS r SET lists = %2 WHERE lists = %3 "
                                              "AND EXISTS (SELECT 1 FROM %4.%5 s WHERE s.\"OID\" = r.oid) "
                                              "AND NOT EXISTS (SELECT 1 FROM main.%5 d WHERE d.\"OID\" = r.oid) "
                                              "AND NOT EXISTS (SELECT 1 FROM %6 m WHERE m.tbl = %7 AND m.src = r.oid)")
                                   .arg(rows(*t))
                                   .arg(kListsAdmitted)
                                   .arg(kListsOpen)
                                   .arg(m_alias, t->quoted(), m_map, literal(t->name)))
                > 0;
        }
        return admitted;
    }

    // A document replaced is the source's, lines and all: the lines the destination holds
    // under a row of `t` whose lines travel, beyond those the source holds under it, go with
    // their own lines and links. Not one that something else of the destination still points
    // to (a customer's voucher that archived sales used), nor one that stands for a row of the
    // source: those stay where they are. Done before the rows are written, so a line is judged
    // on what the destination held.
    void dropLinesBeyond(TableSchema& t)
    {
        for (const RefSchema& r : t.refs) {
            if (!r.isList() || !r.def.IsOwned || !r.target) continue;
            TableSchema* member = m_dstDb.schema(r.target->name);
            if (!member || !m_dst.sql().tableExists(r.linkTable)) continue;
            if (m_beyond.isEmpty()) {
                m_beyond = QStringLiteral("temp.objdb_b%1").arg(m_run);
                m_c.execute(QStringLiteral("CREATE TEMP TABLE objdb_b%1 (oid INTEGER PRIMARY KEY)").arg(m_run));
            } else {
                m_c.execute(QStringLiteral("DELETE FROM %1").arg(m_beyond));
            }
            if (m_c.execute(
                    QStringLiteral(
                        "INSERT OR IGNORE INTO %1 SELECT d.\"MemberOID\" FROM %2 r "
                        "CROSS JOIN main.%3 d ON d.\"OwnerOID\" = %4 WHERE r.lists = %5 "
                        "AND NOT EXISTS (SELECT 1 FROM %6.%3 l WHERE l.\"OwnerOID\" = r.oid AND %7 = d.\"MemberOID\") "
                        "AND NOT EXISTS (SELECT 1 FROM %8 m WHERE m.tbl = %9 AND m.dst = d.\"MemberOID\")")
                        .arg(m_beyond, rows(t), q(r.linkTable), remapped(t, QStringLiteral("r.oid")))
                        .arg(kListsFollowed)
                        .arg(m_alias, remapped(*r.target, QStringLiteral("l.\"MemberOID\"")), m_map,
                             literal(r.target->name)))
                == 0)
                continue;
            for (const auto& [table, column] : pointersTo(m_dstDb, *member, r.linkTable))
                m_c.execute(QStringLiteral(
                                "DELETE FROM %1 WHERE oid IN (SELECT %2 FROM main.%3 WHERE %2 IN (SELECT oid FROM %1))")
                                .arg(m_beyond, q(column), q(table)));
            QStringList statements;
            deletions(m_dstDb, *member, QStringLiteral("SELECT oid FROM %1").arg(m_beyond), nullptr, statements);
            for (const QString& sql : statements) m_c.execute(sql);
        }
    }

    // Notes the rows as reached in round `gen`; those already noted keep their round and are
    // replaced when either request replaces. True when the table has rows of this round.
    bool add(TableSchema& target, const QString& oidsSql, int replace, int gen)
    {
        const QString table = rows(target);
        m_c.execute(
            QStringLiteral("INSERT INTO %1 (oid, replace, gen) SELECT x.o, ?, ? FROM (%2) x "
                           "WHERE true ON CONFLICT (oid) DO UPDATE SET replace = max(replace, excluded.replace)")
                .arg(table, oidsSql),
            {replace, gen});
        return reachedIn(table, gen);
    }

    bool add(TableSchema& target, const QSet<qint64>& oids, int replace, int gen)
    {
        const QString table = rows(target);
        auto st = m_c.prepare(QStringLiteral("INSERT INTO %1 (oid, replace, gen) VALUES (?, ?, ?) "
                                             "ON CONFLICT (oid) DO UPDATE SET replace = max(replace, excluded.replace)")
                                  .arg(table));
        st.bind(2, replace).bind(3, gen);
        for (qint64 oid : oids) {
            st.reset().bind(1, oid);
            st.exec();
        }
        return reachedIn(table, gen);
    }

    bool reachedIn(const QString& table, int gen)
    {
        return m_c.scalar(QStringLiteral("SELECT EXISTS (SELECT 1 FROM %1 WHERE gen = ?)").arg(table), {gen})
                   .toLongLong()
            != 0;
    }

    // The tables reached, each after those its columns point to and, for members of owned
    // lists, after their owner (whose matches the members' follow). False on a cycle.
    bool ordered(std::vector<TableSchema*>& order)
    {
        const QList<TableSchema*>& reached = m_order;
        QHash<TableSchema*, QList<TableSchema*>> before;
        for (TableSchema* t : reached) {
            for (const RefColumn& r : referenceColumns(*t))
                if (reached.contains(r.target)) before[t] << r.target;
            for (const auto& [owner, ref] : t->ownedBy)
                if (reached.contains(owner)) before[t] << owner;
        }
        QSet<TableSchema*> placed;
        while (order.size() < size_t(reached.size())) {
            bool progress = false;
            for (TableSchema* t : reached) {
                if (placed.contains(t)) continue;
                bool ready = true;
                for (TableSchema* b : before.value(t)) ready = ready && b != t && placed.contains(b);
                if (!ready) continue;
                order.push_back(t);
                placed.insert(t);
                progress = true;
            }
            if (!progress) return false;
        }
        return true;
    }

    // The columns both files have, in the source's order; false when the destination lacks
    // the table (the copy row by row tells the operator so).
    bool columns(const TableSchema& t)
    {
        if (m_columns.contains(&t)) return true;
        QSet<QString> there;
        for (const auto& [n, type] : m_dst.sql().tableColumns(t.name)) there.insert(n.toLower());
        if (there.isEmpty()) return false;
        QStringList names;
        auto st = m_c.prepare(QStringLiteral("SELECT name FROM pragma_table_info(?, ?)"));
        st.bind(1, t.name).bind(2, QString(m_alias).remove(u'"'));
        while (st.next())
            if (there.contains(st.text(0).toLower())) names << st.text(0);
        if (!names.contains(QStringLiteral("OID"), Qt::CaseInsensitive)) return false;
        m_columns.insert(&t, names);
        return true;
    }

    // The value of a source column as the destination stores it: a reference to a row the
    // destination holds under another OID becomes that OID.
    QString value(TableSchema& t, const QString& column)
    {
        const QString plain = QStringLiteral("s.") + q(column);
        for (const RefColumn& r : referenceColumns(t))
            if (r.column.compare(column, Qt::CaseInsensitive) == 0) return remapped(*r.target, plain);
        return plain;
    }

    QString remapped(const TableSchema& target, const QString& expression)
    {
        if (!m_mapped.contains(&target)) return expression;
        return QStringLiteral("COALESCE((SELECT m.dst FROM %1 m WHERE m.tbl = %2 AND m.src = %3), %3)")
            .arg(m_map, literal(target.name), expression);
    }

    // The rows of the tables reached (in their order) that the destination holds under
    // another OID, noted anew: rows gathered since the last time may be among them.
    void mapKnownRows(const std::vector<TableSchema*>& order)
    {
        m_c.execute(QStringLiteral("DELETE FROM %1").arg(m_map));
        m_mapped.clear();
        for (TableSchema* t : order) mapKnownRows(*t);
    }

    // The rows the destination already holds under another OID: by the copy key, and by a
    // unique index (where a row copy would meet that index, on inserting the row or, when it
    // replaces, on updating it), compared on the values the destination would store.
    void mapKnownRows(TableSchema& t)
    {
        const QString reached = rows(t);
        const QStringList key = copyKeyOf(m_dstDb, t);
        if (!key.isEmpty()) {
            const TableSchema* owner = t.ownedBy.empty() ? nullptr : t.ownedBy.front().first;
            const QHash<qint64, qint64> matches
                = copyKeyMatches(m_srcDb.GetEngine()->sql(), m_dst.sql(), t, key, [&](qint64 ownerOid) {
                      const QVariant there
                          = m_c.scalar(QStringLiteral("SELECT dst FROM %1 WHERE tbl = ? AND src = ?").arg(m_map),
                                       {owner->name, ownerOid});
                      return there.isNull() ? ownerOid : there.toLongLong();
                  });
            auto st = m_c.prepare(
                QStringLiteral("INSERT OR IGNORE INTO %1 SELECT ?, ?, ? WHERE EXISTS (SELECT 1 FROM %2 WHERE oid = ?)")
                    .arg(m_map, reached));
            for (auto it = matches.cbegin(); it != matches.cend(); ++it) {
                st.reset().bindAll({t.name, it.key(), it.value(), it.key()});
                st.exec();
            }
        }
        const QStringList& cols = m_columns.value(&t);
        for (const IndexSchema& ix : t.indexes) {
            if (!ix.unique) continue;
            QStringList equal, known;
            bool usable = true;
            for (const QString& col : ix.columns) {
                const auto it = std::find_if(cols.begin(), cols.end(), [&](const QString& c) {
                    return c.compare(col, Qt::CaseInsensitive) == 0;
                });
                if (it == cols.end()) {
                    usable = false;
                    break;
                }
                const QString v = value(t, *it);
                // SQLite lets rows share a unique key that holds a Null: no such row meets the index.
                known << v + QStringLiteral(" IS NOT NULL");
                equal << QStringLiteral("d.") + q(*it) + QStringLiteral(" = ") + v;
            }
            if (!usable || equal.isEmpty()) continue;
            m_c.execute(
                QStringLiteral("INSERT OR IGNORE INTO %1 (tbl, src, dst) "
                               "SELECT ?, s.\"OID\", d.\"OID\" FROM %2 r "
                               "CROSS JOIN %3.%4 s ON s.\"OID\" = r.oid CROSS JOIN main.%4 d ON %5 "
                               "WHERE d.\"OID\" <> s.\"OID\" AND %6 "
                               "AND (r.replace OR NOT EXISTS (SELECT 1 FROM main.%4 o WHERE o.\"OID\" = s.\"OID\"))")
                    .arg(m_map, reached, m_alias, t.quoted(), equal.join(QStringLiteral(" AND ")),
                         known.join(QStringLiteral(" AND "))),
                {t.name});
        }
        if (m_c.scalar(QStringLiteral("SELECT EXISTS (SELECT 1 FROM %1 WHERE tbl = ?)").arg(m_map), {t.name})
                .toLongLong())
            m_mapped.insert(&t);
    }

    void insertRows(TableSchema& t)
    {
        const QStringList& cols = m_columns.value(&t);
        QStringList names, values, sets, assigned;
        for (const QString& c : cols) {
            names << q(c);
            values << value(t, c);
            if (c.compare(QLatin1String("OID"), Qt::CaseInsensitive) == 0) continue;
            sets << q(c) + QStringLiteral(" = excluded.") + q(c);
            assigned << q(c);
        }
        QStringList assignedValues;
        for (const QString& c : cols)
            if (c.compare(QLatin1String("OID"), Qt::CaseInsensitive) != 0) assignedValues << value(t, c);
        const QString reached = rows(t);
        const QString from
            = QStringLiteral("FROM %1 r CROSS JOIN %2.%3 s ON s.\"OID\" = r.oid ").arg(reached, m_alias, t.quoted());
        const QString unknown = m_mapped.contains(&t)
            ? QStringLiteral("AND NOT EXISTS (SELECT 1 FROM %1 m WHERE m.tbl = %2 AND m.src = r.oid) ")
                  .arg(m_map, literal(t.name))
            : QString();
        const QString insert = QStringLiteral("INSERT INTO main.%1 (%2) SELECT %3 ")
                                   .arg(t.quoted(), names.join(u','), values.join(u','));
        m_c.execute(insert + from + QStringLiteral("WHERE r.replace = 1 ") + unknown
                    + (sets.isEmpty() ? QStringLiteral("ON CONFLICT (\"OID\") DO NOTHING")
                                      : QStringLiteral("ON CONFLICT (\"OID\") DO UPDATE SET ") + sets.join(u',')));
        m_c.execute(insert + from + QStringLiteral("WHERE r.replace = 0 ") + unknown
                    + QStringLiteral("ON CONFLICT (\"OID\") DO NOTHING"));
        // Rows held under another OID take the source's values where the copy replaces.
        if (!m_mapped.contains(&t) || assigned.isEmpty()) return;
        m_c.execute(QStringLiteral("UPDATE main.%1 AS t SET (%2) = (SELECT %3 FROM %4.%1 s WHERE s.\"OID\" = m.src) "
                                   "FROM %5 m JOIN %6 r ON r.oid = m.src "
                                   "WHERE m.tbl = %7 AND r.replace = 1 AND t.\"OID\" = m.dst "
                                   "AND EXISTS (SELECT 1 FROM %4.%1 s WHERE s.\"OID\" = m.src)")
                        .arg(t.quoted(), assigned.join(u','), assignedValues.join(u','), m_alias, m_map, reached,
                             literal(t.name)));
    }

    // The lists of the rows copied, owners and members as the destination knows them; a
    // kept row's owned lists stay as they are.
    void copyLinks(TableSchema& t)
    {
        for (const RefSchema& r : t.refs) {
            if (!r.isList() || !r.target) continue;
            if (!m_dst.sql().tableExists(r.linkTable)) continue;
            m_c.execute(
                QStringLiteral("INSERT OR IGNORE INTO main.%1 (\"OwnerOID\", \"MemberOID\") SELECT %2, %3 "
                               "FROM %4 r CROSS JOIN %5.%1 l ON l.\"OwnerOID\" = r.oid%6")
                    .arg(q(r.linkTable), remapped(t, QStringLiteral("l.\"OwnerOID\"")),
                         remapped(*r.target, QStringLiteral("l.\"MemberOID\"")), rows(t), m_alias,
                         r.def.IsOwned ? QStringLiteral(" WHERE r.lists = %1").arg(kListsFollowed) : QString()));
        }
    }

    Database& m_srcDb;
    Database& m_dstDb;
    DBEngine& m_dst;
    SqlConnection& m_c;
    QString m_alias;
    int m_related;
    int m_run;
    int m_gen = 0;   // the last round of gathering
    QString m_map;
    QString m_beyond;   // the lines of one owned list found beyond the source's, once made
    QHash<const TableSchema*, QString> m_rows;
    QList<TableSchema*> m_order;   // the tables reached, as first reached
    QHash<const TableSchema*, QStringList> m_columns;
    QSet<const TableSchema*> m_mapped;
};

// The statements that delete the rows `oidsSql` selects from `t`: the members of its owned
// lists first (their links are read on the way), then its links, its memberships in other
// lists and the rows. `via`: the owned list the rows are members of (that membership goes
// with the owner's links).
void deletions(Database& db, TableSchema& t, const QString& oidsSql, const RefSchema* via, QStringList& out)
{
    for (const RefSchema& r : t.refs)
        if (r.isList() && r.def.IsOwned && r.target)
            deletions(db, *r.target,
                      QStringLiteral("SELECT \"MemberOID\" FROM main.%1 WHERE \"OwnerOID\" IN (%2)")
                          .arg(q(r.linkTable), oidsSql),
                      &r, out);
    for (const RefSchema& r : t.refs)
        if (r.isList())
            out << QStringLiteral("DELETE FROM main.%1 WHERE \"OwnerOID\" IN (%2)").arg(q(r.linkTable), oidsSql);
    for (const RefSchema* r : db.listsTo(t))
        if (r != via)
            out << QStringLiteral("DELETE FROM main.%1 WHERE \"MemberOID\" IN (%2)").arg(q(r->linkTable), oidsSql);
    out << QStringLiteral("DELETE FROM main.%1 WHERE \"OID\" IN (%2)").arg(t.quoted(), oidsSql);
}

}   // namespace

SetWork copyBySets(Database& sourceDb, TableSchema& table, Database& destinationDb, DBEngine& destination,
                   const QString& alias, const QList<qint64>& oids, itfProgress* progress, bool copyRelated)
{
    return SetCopier(sourceDb, destinationDb, destination, alias, copyRelated).run(table, oids, progress);
}

SetWork deleteBySets(Database& db, DBEngine& engine, TableSchema& table, const QList<qint64>& oids,
                     itfProgress* progress)
{
    SqlConnection& c = db.writer(engine);
    // The rows asked for only: a few thousand, emptied at the next deletion.
    c.execScript(QStringLiteral(
        "CREATE TEMP TABLE IF NOT EXISTS objdb_gone (oid INTEGER PRIMARY KEY); DELETE FROM temp.objdb_gone;"));
    {
        auto seed = c.prepare(QStringLiteral("INSERT OR IGNORE INTO temp.objdb_gone VALUES (?)"));
        for (qint64 oid : oids) {
            seed.reset().bind(1, oid);
            seed.exec();
        }
    }
    QStringList statements;
    deletions(db, table, QStringLiteral("SELECT oid FROM temp.objdb_gone"), nullptr, statements);
    Steps steps(progress, int(oids.size()));
    steps.plan(int(statements.size()));
    for (const QString& sql : statements) {
        c.execute(sql);
        if (!steps.next()) return SetWork::Stopped;
    }
    return SetWork::Done;
}

}   // namespace objdb
