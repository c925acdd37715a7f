#pragma once
// The settings every connection of the library opens a database file with: the log, the
// page cache, the memory map. One place, so that anything measured beside the library (a
// plain SQLite reference doing the same work) can open its file exactly as the library does.
#include <cstdint>

struct sqlite3;

namespace objdb {

struct ConnectionSettings {
    int cacheKiB;   // SQLite's page cache of the connection
    std::int64_t mmapBytes;   // the part of the file read through a memory map
};

const ConnectionSettings& DefaultConnectionSettings();

// The temp_store value of a connection: in memory where it may write (ConnectionSettings.cpp
// says why).
const char* TemporaryStorage(bool mayWrite);

// Applies them to an open connection: write-ahead log with synchronous=NORMAL where the
// connection may write, foreign keys off (the library keeps references itself), the
// temporary storage, the cache and the map. Returns false when SQLite refused one of them.
bool ApplyConnectionSettings(sqlite3* db, bool mayWrite);

}   // namespace objdb
