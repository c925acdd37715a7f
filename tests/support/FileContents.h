#pragma once
// Every row of the tables of a closed database file, as text: what "the same data" means when
// two ways of doing the same work are compared file against file.
#include <QString>
#include <QStringList>
#include <map>
#include <sqlite3.h>

namespace testenv {

// The tables whose names pass `tables` (an SQL condition on `name`), each with its rows as
// "value|value|..." (Null as "<null>"), sorted. Empty when the file cannot be opened.
inline std::map<QString, QStringList> tableContents(const QString& path, const char* tables,
                                                    int openFlags = SQLITE_OPEN_READONLY)
{
    std::map<QString, QStringList> out;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, openFlags, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return out;
    }
    QStringList names;
    sqlite3_stmt* st = nullptr;
    const QByteArray list = QByteArray("SELECT name FROM sqlite_master WHERE type = 'table' AND (") + tables + ')';
    sqlite3_prepare_v2(db, list.constData(), -1, &st, nullptr);
    while (sqlite3_step(st) == SQLITE_ROW)
        names << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
    for (const QString& table : names) {
        QStringList& rows = out[table];
        sqlite3_prepare_v2(db, QStringLiteral("SELECT * FROM \"%1\"").arg(table).toUtf8().constData(), -1, &st,
                           nullptr);
        while (sqlite3_step(st) == SQLITE_ROW) {
            QStringList cells;
            for (int i = 0; i < sqlite3_column_count(st); ++i) {
                const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(st, i));
                cells << (text ? QString::fromUtf8(text) : QStringLiteral("<null>"));
            }
            rows << cells.join(u'|');
        }
        sqlite3_finalize(st);
        rows.sort();
    }
    sqlite3_close(db);
    return out;
}

}   // namespace testenv
