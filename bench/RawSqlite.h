#pragma once
// The plain SQLite side of a comparison: a file opened as the library opens it (the same
// log, page cache and memory map, from the library's own ConnectionSettings), statements
// prepared once, values read as a program without the library would read them. Every raw
// reference of bench/ opens its file through this class, so that a ratio measures the
// library and not a difference of settings.
#include "objdb/ConnectionSettings.h"
#include <QFile>
#include <QString>
#include <QVariant>
#include <sqlite3.h>
#include <stdexcept>
#include <string>
#include <vector>

class RawSqlite {
public:
    explicit RawSqlite(const QString& path)
    {
        if (sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK
            || !objdb::ApplyConnectionSettings(m_db, true))
            throw std::runtime_error("raw SQLite: cannot open " + path.toStdString());
    }
    ~RawSqlite()
    {
        for (sqlite3_stmt* st : m_statements) sqlite3_finalize(st);
        sqlite3_close(m_db);
    }
    RawSqlite(const RawSqlite&) = delete;
    RawSqlite& operator=(const RawSqlite&) = delete;

    sqlite3* handle() const { return m_db; }
    void exec(const char* sql)
    {
        if (sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
            throw std::runtime_error(std::string("raw SQLite: ") + sqlite3_errmsg(m_db));
    }
    // Kept until the connection closes.
    sqlite3_stmt* prepare(const QString& sql)
    {
        sqlite3_stmt* st = nullptr;
        const QByteArray utf8 = sql.toUtf8();
        if (sqlite3_prepare_v3(m_db, utf8.constData(), int(utf8.size()), SQLITE_PREPARE_PERSISTENT, &st, nullptr)
            != SQLITE_OK)
            throw std::runtime_error(std::string("raw SQLite: ") + sqlite3_errmsg(m_db) + " in " + utf8.toStdString());
        m_statements.push_back(st);
        return st;
    }
    // Runs a statement that returns no rows to its end and resets it.
    static void run(sqlite3_stmt* st)
    {
        while (sqlite3_step(st) == SQLITE_ROW) { }
        sqlite3_reset(st);
    }
    // A column as the program keeps it: a number, a text or nothing.
    static QVariant value(sqlite3_stmt* st, int col)
    {
        switch (sqlite3_column_type(st, col)) {
        case SQLITE_INTEGER: return QVariant(qint64(sqlite3_column_int64(st, col)));
        case SQLITE_FLOAT: return QVariant(sqlite3_column_double(st, col));
        case SQLITE_TEXT:
            return QVariant(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, col)),
                                              sqlite3_column_bytes(st, col)));
        default: return QVariant();
        }
    }

private:
    sqlite3* m_db = nullptr;
    std::vector<sqlite3_stmt*> m_statements;
};
