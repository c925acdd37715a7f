// Jet SQL as users and the program write it, translated over the shop's own declarations.
// The first byte chooses the form, the second the table, and the rest holds the texts,
// separated by the byte 0x1E:
//   0  a whole statement (or a bare condition)           text
//   1  a view query                                      fields, condition, order
//   2  a condition with the joins its names need         condition
//   3  a data set's selection, as the library runs it    condition, order, field list
// Whatever translates must be one statement SQLite prepares on the shop's file, or fail only
// on a name the text itself wrote that the file does not have (the translator passes names
// it does not know, such as a sub-query's columns, to SQLite). Everything else that goes
// wrong must be the translator's own refusal. Statements are prepared, never run, except the
// data set's selection, which only reads.
#include "FuzzShop.h"

#include "base/AppError.h"
#include "core/configuration/Configuration.h"
#include "objdb/CurrencyInfo.h"
#include "data/DB.h"
#include "objdb/DBEngine.h"
#include "objdb/Database.h"
#include "objdb/DatabaseJetSchema.h"
#include "objdb/JetTranslator.h"
#include "objdb/Notify.h"
#include "objdb/SqlConnection.h"
#include "objdb/TableData.h"
#include "objdb/TableObject.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <cstdint>
#include <memory>
#include <sqlite3.h>

namespace {

struct Shop {
    std::shared_ptr<DBEngine> engine;
    std::shared_ptr<Database> db;
    std::unique_ptr<objdb::DatabaseJetSchema> schema;
};

// A selection over tables whose rows multiply (a cross join of default rows) would run for
// minutes; the target cares about the text, not the rows.
int stopLongQueries(void*) { return 1; }

Shop& shop()
{
    static Shop* s = [] {
        fuzzsupport::ShopFile& file = fuzzsupport::shopFile("fuzz_jet");
        auto* shop = new Shop;
        shop->engine = file.engine;
        shop->db = file.db;
        shop->schema = std::make_unique<objdb::DatabaseJetSchema>(*shop->db);
        sqlite3_progress_handler(shop->engine->sql().handle(), 200000, stopLongQueries, nullptr);
        return shop;
    }();
    return *s;
}

// Syntax and limits (3075), an unknown function (3085), a query without a table (3067), an
// aggregate where none is allowed (3096).
bool isTranslatorRefusal(const AppError& e)
{
    return e.number == 3075 || e.number == 3085 || e.number == 3067 || e.number == 3096;
}

// A name SQLite did not find, when the Jet text wrote it (the translator may put the table
// queried before it), or a column's position past the columns the query selects: the text is
// wrong, not the translation.
bool isUnknownNameOfTheText(const QString& message, const QString& jet, const QString& table)
{
    static const QRegularExpression position(QStringLiteral("^\\d+(st|nd|rd|th) (ORDER|GROUP) BY term out of range"));
    if (position.match(message).hasMatch()) return true;
    // SQLite's words from a raw prepare, the library's from a data set.
    static const QRegularExpression unknown(
        QStringLiteral("^(?:no such (?:column|table)|campo inesistente|tabella inesistente): (.+)$"),
        QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch m = unknown.match(message);
    if (!m.hasMatch()) return false;
    QString name = m.captured(1);
    if (name.size() >= 2 && name.startsWith(u'"') && name.endsWith(u'"')) name = name.mid(1, name.size() - 2);
    for (const QString& part : name.split(u'.'))
        if (!jet.contains(part, Qt::CaseInsensitive) && part.compare(table, Qt::CaseInsensitive) != 0) return false;
    return true;
}

void prepare(const QString& sql, const QString& jet, const QString& table)
{
    sqlite3* handle = shop().engine->sql().handle();
    const QByteArray text = sql.toUtf8();
    sqlite3_stmt* stmt = nullptr;
    const char* tail = nullptr;
    const int rc = sqlite3_prepare_v2(handle, text.constData(), int(text.size()), &stmt, &tail);
    if (rc != SQLITE_OK) {
        const QString message = QString::fromUtf8(sqlite3_errmsg(handle));
        if (!isUnknownNameOfTheText(message, jet, table))
            fuzzsupport::broken(
                QStringLiteral("SQLite refused the translation (%1)\nJet: %2\nSQL: %3").arg(message, jet, sql));
        return;
    }
    sqlite3_finalize(stmt);
    if (!stmt) fuzzsupport::broken(QStringLiteral("nothing to run\nJet: %1\nSQL: %2").arg(jet, sql));
    if (tail && !QString::fromUtf8(tail).trimmed().isEmpty())
        fuzzsupport::broken(QStringLiteral("more than one statement\nJet: %1\nSQL: %2").arg(jet, sql));
}

// The engine's own message inside the library's wording ("...errore del database (message)").
QString engineMessage(const QString& description)
{
    const QString opening = QStringLiteral("errore del database (");
    const qsizetype at = description.indexOf(opening);
    if (at < 0) return description;
    QString message = description.mid(at + opening.size());
    if (message.endsWith(u')')) message.chop(1);
    return message;
}

void selectRows(TableObject& table, const QString& condition, const QString& order, const QString& fields,
                const QString& jet)
{
    try {
        std::unique_ptr<TableData> rows = table.Select(condition, order, fields);
        if (rows->RowCount() > 0) rows->MoveFirst();
    } catch (const AppError& e) {
        if (isTranslatorRefusal(e)) return;
        if (e.description.contains(QStringLiteral("operazione interrotta"))) return;
        const QString message = engineMessage(e.description);
        // What only the rows can show fails as they are read, as in Jet, with the message of
        // our own Jet functions: a Like pattern that is no pattern ("[a" unclosed), a text
        // where a number is wanted, a result past its type, an argument out of range.
        if (message.startsWith(QStringLiteral("Criterio di ricerca non valido"))
            || message == QStringLiteral("Tipo non corrispondente") || message == QStringLiteral("Overflow")
            || message == QStringLiteral("Chiamata di routine o argomento non validi"))
            return;
        if (isUnknownNameOfTheText(message, jet, table.Name())) return;
        fuzzsupport::broken(
            QStringLiteral("data set refused with error %1: %2\nJet: %3").arg(e.number).arg(e.description, jet));
    }
}

}   // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2) return 0;
    Shop& s = shop();
    const int form = data[0] % 4;
    TableCollection& tables = s.db->Tables();
    TableObject& table = *tables.Item(1 + data[1] % tables.Count());
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data + 2), static_cast<qsizetype>(size - 2));
    QStringList parts = text.split(QChar(0x1E));
    while (parts.size() < 3) parts << QString();
    const QString jet = form == 0 ? text : parts.join(u' ');
    if (form == 3) {
        selectRows(table, parts[0], parts[1], parts[2], jet);
        return 0;
    }

    const JetTranslator translator(s.schema.get());
    QString sql;
    try {
        if (form == 0) {
            sql = translator.translate(text);
            // A bare condition translates too; it is prepared as the condition of a query.
            static const QRegularExpression statement(
                QStringLiteral("^\\s*(SELECT|UPDATE|DELETE|INSERT|ALTER|DROP)\\b"),
                QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption);
            if (!statement.match(sql).hasMatch())
                sql = QStringLiteral("SELECT 1 FROM ") + JetTranslator::QuoteName(table.Name())
                    + QStringLiteral(" WHERE ") + sql;
        } else if (form == 1) {
            sql = translator.translateSelect(table.Name(), parts[0], parts[1], parts[2]);
        } else {
            const JetTranslator::Condition c = translator.translateCondition(table.Name(), parts[0]);
            sql = QStringLiteral("SELECT 1 FROM ") + JetTranslator::QuoteName(table.Name()) + c.joins
                + (c.sql.trimmed().isEmpty() ? QString() : QStringLiteral(" WHERE ") + c.sql);
        }
    } catch (const AppError& e) {
        if (!isTranslatorRefusal(e))
            fuzzsupport::broken(
                QStringLiteral("error %1 from the translator: %2\nJet: %3").arg(e.number).arg(e.description, jet));
        return 0;
    }
    prepare(sql, jet, table.Name());
    return 0;
}
