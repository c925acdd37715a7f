#include "ConnectionSettings.h"
#include <sqlite3.h>
#include <string>

namespace objdb {

const ConnectionSettings& DefaultConnectionSettings()
{
    // Measured (bench/) on a shop of 100,000 articles and a million sale lines, SQLite's own
    // page cache of 2 MB against 64 MB. Reading is the same with either: pages under the
    // memory map are read in place, never copied into the cache (the first 100 rows of a
    // million, a view of a month, an article by code, each within a few per cent). Writing
    // a page needs it in the cache, and so a long session fills a large one: over 50,000
    // sales the heap grew from 21 to 52 MB with 64 MB, and stays at 3.4 MB with 2 MB. A
    // large cache pays only in one long write transaction touching pages all over the file
    // (100,000 load lines on as many articles: 1.5 s instead of 2.4 s on plain SQLite), and
    // there the library's own work per line is ten times that, so the import took as long
    // with either. The cache stays SQLite's own; the map covers a shop of years of sales,
    // and a larger file reads its tail through the cache.
    static const ConnectionSettings settings {2000, 268435456};
    return settings;
}

// An operation inside an operation (each row added within a delivery's import, say) stands
// on a savepoint of its own once the outer one has written, and SQLite copies aside every
// page it changes under that savepoint. In a temporary file each copy is a system call, and
// once the copies of one operation passed 64 KiB the file stayed for the whole transaction:
// a fifth of the time of a 100,000-line import went to writing them. Kept in memory, the
// copies of an operation are dropped when it ends, so they never grow past what one
// operation changes. Temporary tables (a data set's keys) live there too: a few bytes a row.
// A connection that cannot write has no such copies and keeps SQLite's default.
const char* TemporaryStorage(bool mayWrite) { return mayWrite ? "MEMORY" : "DEFAULT"; }

bool ApplyConnectionSettings(sqlite3* db, bool mayWrite)
{
    const ConnectionSettings& s = DefaultConnectionSettings();
    std::string sql;
    if (mayWrite) sql += "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL; ";
    sql += std::string("PRAGMA temp_store=") + TemporaryStorage(mayWrite) + "; ";
    sql += "PRAGMA foreign_keys=OFF; PRAGMA cache_size=-" + std::to_string(s.cacheKiB)
        + "; PRAGMA mmap_size=" + std::to_string(s.mmapBytes) + ";";
    return sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
}

}   // namespace objdb
