#include "ObjDbError.h"
#include <cerrno>
#include <sqlite3.h>
#include <utility>

namespace objdb {

int32_t errorNumber(ErrorCode code)
{
    return static_cast<int32_t>(static_cast<uint32_t>(AppError::kObjectErrorBase) + static_cast<uint32_t>(code));
}

AppError error(ErrorCode code, const QString& source, const QString& description)
{
    return AppError::object(code, source, description);
}

QString storageErrorText(int resultCode, const QString& engineMessage, int systemError)
{
    if (systemError == ENOSPC || systemError == EDQUOT || systemError == EFBIG) return QStringLiteral("disco pieno");
    switch (resultCode & 0xff) {
    case SQLITE_FULL: return QStringLiteral("disco pieno");
    case SQLITE_IOERR: return QStringLiteral("errore di lettura o scrittura sul disco");
    case SQLITE_CORRUPT: return QStringLiteral("il file del database è danneggiato");
    case SQLITE_NOTADB: return QStringLiteral("il file non è un database");
    case SQLITE_CANTOPEN: return QStringLiteral("impossibile aprire il file");
    case SQLITE_READONLY: return QStringLiteral("il database è aperto in sola lettura");
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return QStringLiteral("il database è occupato da un altro utente");
    case SQLITE_PERM:
    case SQLITE_AUTH: return QStringLiteral("accesso negato");
    case SQLITE_NOMEM: return QStringLiteral("memoria insufficiente");
    case SQLITE_TOOBIG: return QStringLiteral("dato troppo grande");
    case SQLITE_INTERRUPT: return QStringLiteral("operazione interrotta");
    default: break;
    }
    // The messages a mistyped name in a typed condition or a report's field list gives: said in
    // the operator's language, the name kept as typed.
    static const std::pair<QLatin1String, QString> known[] = {
        {QLatin1String("no such column: "), QStringLiteral("campo inesistente: ")},
        {QLatin1String("no such table: "), QStringLiteral("tabella inesistente: ")},
        {QLatin1String("no such function: "), QStringLiteral("funzione inesistente: ")},
        {QLatin1String("ambiguous column name: "), QStringLiteral("nome di campo ambiguo: ")},
    };
    for (const auto& [english, italian] : known)
        if (engineMessage.startsWith(english))
            return QStringLiteral("errore del database (%1)").arg(italian + engineMessage.mid(english.size()));
    const QString detail = engineMessage.isEmpty() ? QString::fromUtf8(sqlite3_errstr(resultCode)) : engineMessage;
    return QStringLiteral("errore del database (%1)").arg(detail);
}

AppError withOperation(const AppError& e, const QString& source, const QString& doing)
{
    const bool storage = e.source == QLatin1String("objdb")
        && (e.number == errorNumber(SqlFailed) || e.number == errorNumber(Busy) || e.number == errorNumber(ReadOnly)
            || e.number == errorNumber(NotADatabase));
    if (!storage) return e;
    return AppError(e.number, source, doing + QStringLiteral(": ") + e.description);
}

bool isRefusal(const AppError& e)
{
    return e.number == errorNumber(Refused) || e.number == errorNumber(UniqueViolation);
}

}   // namespace objdb
