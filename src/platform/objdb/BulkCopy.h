#pragma once
// Library internals of the bulk work between files: the rows a destination already holds
// under other OIDs, and the copy and deletion by sets of rows.
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <utility>
#include <vector>

class Database;
class DBEngine;
class SqlConnection;
class itfProgress;

namespace objdb {

struct TableSchema;

// The copy key of `table` (TableIdentity::CopyKey) as the destination declares it, else as
// the source does; empty: rows are known by OID and unique indexes only.
QStringList copyKeyOf(const Database& destination, const TableSchema& table);

// The rows of `table` the destination holds under other OIDs by the copy key: source OID to
// destination OID, for the source rows absent from the destination whose key one destination
// row has. `ownerThere` gives the destination OID of a source owner row (members of an owned
// list are matched among the members of the same owner).
QHash<qint64, qint64> copyKeyMatches(SqlConnection& source, SqlConnection& destination, const TableSchema& table,
                                     const QStringList& keyFields, const std::function<qint64(qint64)>& ownerThere);

// The columns of the destination that hold OIDs of rows of `table`, as (table, column): the
// parent column of its child tables, the single references to it and the member column of
// the lists it is a member of, but the list `ownLink`.
std::vector<std::pair<QString, QString>> pointersTo(const Database& destination, const TableSchema& table,
                                                    const QString& ownLink);

enum class SetWork { Done, Stopped, RowByRow };

// Copies the rows of `table` with these OIDs, with everything a row copy carries, from the
// source file (attached to the destination's connection as `alias`) by sets of rows. The
// result is that of the copy row by row; RowByRow when the rows cannot be copied so (a table
// the destination lacks, rows that would share a unique key): nothing was written then.
SetWork copyBySets(Database& sourceDb, TableSchema& table, Database& destinationDb, DBEngine& destination,
                   const QString& alias, const QList<qint64>& oids, itfProgress* progress, bool copyRelated);

// Deletes the rows of `table` with these OIDs with their owned lines and memberships, by sets.
SetWork deleteBySets(Database& db, DBEngine& engine, TableSchema& table, const QList<qint64>& oids,
                     itfProgress* progress);

}   // namespace objdb
