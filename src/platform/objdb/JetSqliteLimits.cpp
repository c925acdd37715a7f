#include "JetSqliteLimits.h"
#include "base/AppError.h"
#include <QByteArray>
#include <memory>
#include <sqlite3.h>

namespace {

struct Closer {
    void operator()(sqlite3* db) const { sqlite3_close(db); }
};

// One per thread, as translations are made on the lazy grid's worker thread as well.
sqlite3* emptyConnection()
{
    thread_local std::unique_ptr<sqlite3, Closer> db = [] {
        sqlite3* handle = nullptr;
        if (sqlite3_open_v2(":memory:", &handle, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
            sqlite3_close(handle);
            handle = nullptr;
        }
        return std::unique_ptr<sqlite3, Closer>(handle);
    }();
    return db.get();
}

// SQLite's messages for a statement too deep or too large to compile.
bool isLimit(const QString& message)
{
    static const char* const limits[] = {
        "parser stack overflow",      "Expression tree is too large",   "too many terms in compound SELECT",
        "too many FROM clause terms", "too many arguments on function", "too many columns",
        "too many terms in ORDER BY", "too many terms in GROUP BY",     "too many SQL variables",
    };
    for (const char* limit : limits)
        if (message.startsWith(QLatin1String(limit))) return true;
    return false;
}

}   // namespace

void jet::checkSqliteLimits(const QString& sql, SqlUse use)
{
    sqlite3* db = emptyConnection();
    if (!db) return;   // the file's own connection will report whatever it finds
    QString probe = sql;
    if (use == SqlUse::Condition)
        probe = QStringLiteral("SELECT 1 WHERE ") + QString(10, u'(') + sql + QString(10, u')');
    else if (use == SqlUse::Select)
        probe = QStringLiteral("SELECT 1 FROM (SELECT 1 FROM (") + sql + QStringLiteral("))");
    const QByteArray text = probe.toUtf8();
    sqlite3_stmt* st = nullptr;
    const int rc = sqlite3_prepare_v2(db, text.constData(), int(text.size()), &st, nullptr);
    sqlite3_finalize(st);
    if (rc == SQLITE_OK) return;
    const QString message = QString::fromUtf8(sqlite3_errmsg(db));
    if (isLimit(message))
        throw AppError(3075, QStringLiteral("JetSQL"),
                       QStringLiteral("Espressione troppo complessa (%1)").arg(message));
}
