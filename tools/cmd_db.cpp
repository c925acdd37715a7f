// Database commands: create or upgrade a file, run Jet SQL, drive data sets line by line
// exactly as the program does, copy rows between files.
#include "MvTool.h"
#include "base/AppError.h"
#include "objdb/OpenRows.h"
#include "core/configuration/Configuration.h"
#include "data/DB.h"
#include "documents/DocumentSession.h"
#include "objdb/DBEngine.h"
#include "objdb/Database.h"
#include "objdb/Definitions.h"
#include "objdb/Notify.h"
#include "objdb/ObjDbError.h"
#include "objdb/TableData.h"
#include "objdb/TableObject.h"
#include "base/TypedNumber.h"
#include <QFileInfo>
#include <QStringDecoder>
#include <iostream>
#include <string>
#include <memory>
#include <vector>

namespace {

class PrintingSink : public itfNotifyEvent {
public:
    void OnRefusal(const QString&, const QString& message) override
    {
        ++refusals;
        mvtool::out(QStringLiteral("REFUSED: ") + oneLine(message));
    }
    void OnWarning(const QString&, const QString& message) override
    {
        mvtool::out(QStringLiteral("WARNING: ") + oneLine(message));
    }
    void OnInternalMessage(const QString&, const QString& message) override
    {
        mvtool::out(QStringLiteral("MESSAGE: ") + oneLine(message));
    }
    int refusals = 0;
    static QString oneLine(QString s)
    {
        s.replace(QStringLiteral("\r\n"), QStringLiteral("\\n"));
        s.replace(u'\r', QStringLiteral("\\n"));
        s.replace(u'\n', QStringLiteral("\\n"));
        return s;
    }
};

// The file opened as the program opens it: created when missing (unless it is only a source,
// where a mistyped name must not turn into an empty shop), declared and upgraded, with the
// configuration loaded first (the table rules and some declarations read it).
enum class WhenMissing { Create, Refuse };
std::shared_ptr<Database> openDeclared(const QString& path, itfNotifyEvent* sink, std::shared_ptr<DBEngine>& engine,
                                       WhenMissing missing = WhenMissing::Create)
{
    LoadConfiguration();
    engine = std::make_shared<DBEngine>();
    if (missing == WhenMissing::Create && !QFileInfo::exists(path)) engine->CreateDatabase(3, path);
    engine->OpenDatabase(3, path);
    auto db = LibraryGlobal::NewDatabase(std::make_shared<DB>(), QStringLiteral("mvtool"), sink);
    db->AttachEngine(engine);
    return db;
}

// One row per line: tabs and line breaks inside a value are written as \t, \r, \n.
QString cellText(const QVariant& v)
{
    if (!v.isValid() || v.isNull()) return QString();
    if (v.userType() == QMetaType::Double) return QString::number(v.toDouble(), 'g', 15);
    QString s = v.toString();
    s.replace(u'\\', QStringLiteral("\\\\"));
    s.replace(u'\t', QStringLiteral("\\t"));
    s.replace(u'\r', QStringLiteral("\\r"));
    s.replace(u'\n', QStringLiteral("\\n"));
    return s;
}

int dbInit(const QStringList& args)
{
    if (args.size() != 1) return 2;
    PrintingSink sink;
    std::shared_ptr<DBEngine> engine;
    auto db = openDeclared(args[0], &sink, engine);
    auto rows = db->RunQuery(QStringLiteral("SELECT Name, Version FROM _objdb_tables ORDER BY Position"), engine).rows;
    for (const auto& r : rows)
        mvtool::out(r[0].toString() + u'\t' + (r[1].isNull() ? QStringLiteral("-") : cellText(r[1])));
    return 0;
}

int sql(const QStringList& args)
{
    if (args.size() != 2) return 2;
    auto engine = std::make_shared<DBEngine>();
    engine->OpenDatabase(3, args[0]);
    auto db = LibraryGlobal::OpenExistingDatabase(engine, nullptr);
    auto r = db->RunQuery(args[1], engine);
    if (r.columns.isEmpty()) {
        mvtool::out(QStringLiteral("%1 rows affected").arg(r.changed));
        return 0;
    }
    mvtool::out(r.columns.join(u'\t'));
    for (const auto& row : r.rows) {
        QStringList cells;
        for (const QVariant& v : row) cells << cellText(v);
        mvtool::out(cells.join(u'\t'));
    }
    return 0;
}

// A value of `set`: a number is read in the C form (32.5; 1,000.25 with groups), as the
// settings commands read numbers, whatever the system's language; anything else goes as text
// for the library to convert. A number in another form is refused, not guessed.
QVariant typedValue(const TableData& data, const QString& field, const QString& value)
{
    if (value == u"NULL") return QVariant();
    int type = FieldType::Text;
    try {
        type = data.GetFieldInfo(field).TypeCode;
    } catch (const AppError&) {
        return QVariant(value);   // no field of that name: setting it says so
    }
    if (type != FieldType::Integer && type != FieldType::Number && type != FieldType::Currency) return QVariant(value);
    if (value.trimmed().isEmpty()) return QVariant();
    if (type == FieldType::Currency) {
        if (auto amount = ReadTypedAmount(value, QLocale::c())) return QVariant::fromValue(*amount);
    } else if (auto number = ReadTypedNumber(value, QLocale::c())) {
        return QVariant(*number);
    }
    throw AppError(AppError::kTypeMismatch, QStringLiteral("mvtool"),
                   NotATypedNumberMessage(field, value, QLocale::c()));
}

// One line of `run`: the data sets entered, the innermost last.
class Runner {
public:
    Runner(std::shared_ptr<Database> db) : m_db(std::move(db)) { }

    void line(const QString& text)
    {
        const QString trimmed = text.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(u'#')) return;
        const int space = trimmed.indexOf(u' ');
        const QString cmd = (space < 0 ? trimmed : trimmed.left(space)).toLower();
        const QString rest = space < 0 ? QString() : trimmed.mid(space + 1).trimmed();
        if (cmd == u"set" || cmd == u"setref" || cmd == u"save" || cmd == u"delete" || cmd == u"parent"
            || (cmd == u"new" && !m_stack.empty()))
            beginEditOfCompletedDocument();
        if (cmd == u"select") {
            const int sp = rest.indexOf(u' ');
            const QString table = sp < 0 ? rest : rest.left(sp);
            QString cond = sp < 0 ? QString() : rest.mid(sp + 1).trimmed();
            if (cond.startsWith(QLatin1String("where "), Qt::CaseInsensitive)) cond = cond.mid(6);
            m_stack.clear();
            m_stack.push_back(m_db->Tables().Item(table)->Select(cond));
            mvtool::out(QStringLiteral("%1: %2 rows").arg(m_stack.back()->tableName()).arg(m_stack.back()->RowCount()));
        } else if (cmd == u"filter") {
            current().SetFilter(rest);
            mvtool::out(QStringLiteral("%1: %2 rows").arg(current().tableName()).arg(current().RowCount()));
        } else if (cmd == u"new") {
            if (m_stack.empty() || m_stack.back()->tableName().compare(rest, Qt::CaseInsensitive) != 0) {
                m_stack.clear();
                m_stack.push_back(m_db->Tables().Item(rest)->Select(QStringLiteral("OID = 0")));
            }
            current().NewRow();
        } else if (cmd == u"set" || cmd == u"setref") {
            const int eq = rest.indexOf(u'=');
            if (eq < 0)
                throw AppError(AppError::kInvalidCall, QStringLiteral("mvtool"), QStringLiteral("expected NAME=VALUE"));
            const QString name = rest.left(eq).trimmed();
            const QString value = rest.mid(eq + 1);
            const QVariant v = value == u"NULL" ? QVariant() : QVariant(value);
            if (cmd == u"set") {
                current().SetValue(name, typedValue(current(), name, value));
            } else {
                // A key nobody has is a mistake in the script, not a wish to clear the reference.
                if (!value.isEmpty() && !v.isNull() && current().FindReferenceKey(name, v) == 0)
                    throw AppError(
                        AppError::kInvalidCall, QStringLiteral("mvtool"),
                        QStringLiteral("nessun elemento con chiave < %1 > per il riferimento < %2 >").arg(value, name));
                current().SetReferenceByKey(name, v);
            }
        } else if (cmd == u"save" || cmd == u"delete") {
            const qint64 oid = current().HasNoCurrentRow() ? 0 : current().GetOID();
            if (cmd == u"save")
                current().Update();
            else
                current().DeleteRow();
            if (m_edit.isOpen() && oid == m_editedOid && current().tableName() == m_editedTable) {
                m_edit.commit();
                m_editedOid = 0;
            }
        } else if (cmd == u"next") {
            current().MoveNext();
            if (current().IsEOF()) mvtool::out(QStringLiteral("EOF"));
        } else if (cmd == u"first") {
            current().MoveFirst();
            if (current().IsEOF()) mvtool::out(QStringLiteral("EOF"));
        } else if (cmd == u"print") {
            QStringList cells;
            for (const QString& f : rest.split(u' ', Qt::SkipEmptyParts)) cells << f + u'=' + current().GetText(f);
            mvtool::out(cells.join(u'\t'));
        } else if (cmd == u"list") {
            auto td = current().GetReference(rest);
            mvtool::out(QStringLiteral("%1: %2 rows").arg(td->tableName()).arg(td->RowCount()));
            m_stack.push_back(std::move(td));
        } else if (cmd == u"up") {
            if (m_stack.size() < 2)
                throw AppError(AppError::kInvalidCall, QStringLiteral("mvtool"),
                               QStringLiteral("no enclosing data set"));
            m_stack.pop_back();
        } else if (cmd == u"parent") {
            // Among the parents the rules offer, as the window's pick does: a voucher use takes
            // only an open voucher of the sale's own customer.
            auto candidates = current().SelectParentCandidates();
            if (!candidates->FindKey(rest))
                throw AppError(AppError::kInvalidCall, QStringLiteral("mvtool"),
                               QStringLiteral("nessun elemento con chiave < %1 > tra i possibili padri").arg(rest));
            current().SetParent(candidates->GetOID());
        } else {
            throw AppError(AppError::kInvalidCall, QStringLiteral("mvtool"), QStringLiteral("unknown command: ") + cmd);
        }
    }

    // An edit of a completed sale or supply left unsaved when the run stops or ends is given
    // up whole, with all the run did since it began.
    void giveUpEdit()
    {
        if (!m_edit.isOpen()) return;
        m_edit.rollback();
        mvtool::err(
            QStringLiteral("modifica del documento %1 %2 non salvata: annullata").arg(m_editedTable).arg(m_editedOid));
        m_editedOid = 0;
    }

private:
    // A completed document is edited in one transaction, as the window edits it: the first
    // change to it or its lines begins it, its own save or deletion ends it, so that a run
    // killed or stopped in between leaves the document, its lines and its totals as they were.
    void beginEditOfCompletedDocument()
    {
        if (m_edit.isOpen() || m_stack.empty()) return;
        const auto completed = [](TableData& td) {
            return !td.HasNoCurrentRow() && !td.IsNewRow() && td.HasField(QStringLiteral("Completato"))
                && td.GetBoolValue(QStringLiteral("Completato"));
        };
        for (auto it = m_stack.rbegin(); it != m_stack.rend(); ++it) {
            TableData& td = **it;
            std::unique_ptr<TableData> owner;
            if (!completed(td) && !td.HasNoCurrentRow() && !td.HasField(QStringLiteral("Completato")))
                owner = td.GetOwnerRow();
            TableData* document = completed(td) ? &td : owner && completed(*owner) ? owner.get() : nullptr;
            if (!document) continue;
            m_editedTable = document->tableName();
            m_editedOid = document->GetOID();
            m_edit.begin(m_db->GetEngine(), true);
            return;
        }
    }

    TableData& current()
    {
        if (m_stack.empty())
            throw AppError(AppError::kInvalidCall, QStringLiteral("mvtool"),
                           QStringLiteral("no data set: select one first"));
        return *m_stack.back();
    }
    std::shared_ptr<Database> m_db;
    std::vector<std::unique_ptr<TableData>> m_stack;
    DocumentTransaction m_edit;
    QString m_editedTable;
    qint64 m_editedOid = 0;
};

// Lines from stdin as they come (a pipe fed line by line is served at once), each read as
// UTF-8; the first line that fails, is refused or is not text ends the run.
int run(const QStringList& args)
{
    if (args.size() != 1) return 2;
    PrintingSink sink;
    std::shared_ptr<DBEngine> engine;
    auto db = openDeclared(args[0], &sink, engine);
    Runner runner(db);
    // A document the script stored and never finished stays as the script left it: only a run
    // that is killed leaves its documents to be given up at the next opening.
    struct KeepOpenRows {
        Database& db;
        ~KeepOpenRows()
        {
            try {
                objdb::KeepOwnOpenRows(db);
            } catch (const AppError& e) {
                mvtool::err(e.description);
            }
        }
    } keep {*db};
    // Before the open rows are kept: an edit left unsaved is no part of them.
    struct EndEdit {
        Runner& runner;
        ~EndEdit() { runner.giveUpEdit(); }
    } endEdit {runner};
    std::string raw;
    for (int number = 1; std::getline(std::cin, raw); ++number) {
        QStringDecoder utf8(QStringDecoder::Utf8);
        const QString text = utf8(QByteArray::fromStdString(raw));
        const auto stop = [&](const QString& why) {
            if (!why.isEmpty()) mvtool::out(QStringLiteral("ERROR: ") + PrintingSink::oneLine(why));
            mvtool::out(QStringLiteral("STOPPED at line %1").arg(number));
            return 1;
        };
        if (utf8.hasError()) return stop(QStringLiteral("riga %1: testo non valido (UTF-8)").arg(number));
        const int refusalsBefore = sink.refusals;
        try {
            runner.line(text);
        } catch (const AppError& e) {
            // A refusal was printed when the rule made it.
            return stop(objdb::isRefusal(e) ? QString() : e.description);
        }
        if (sink.refusals != refusalsBefore) return stop(QString());
    }
    return 0;
}

int copy(const QStringList& args)
{
    if (args.size() < 3 || args.size() > 4) return 2;
    PrintingSink sink;
    std::shared_ptr<DBEngine> fromEngine, toEngine;
    auto from = openDeclared(args[0], &sink, fromEngine, WhenMissing::Refuse);
    auto to = openDeclared(args[1], &sink, toEngine);
    auto source = from->Tables().Item(args[2])->Select(args.value(3));
    auto target = to->Tables().Item(args[2])->Select();
    const qint64 n = source->RowCount();
    if (!source->CopyRows(*target, nullptr, true)) {
        mvtool::err(QStringLiteral("copy stopped"));
        return 1;
    }
    mvtool::out(QStringLiteral("%1 rows copied").arg(n));
    return 0;
}

}   // namespace

MV_COMMAND("db-init", "db-init PATH  create or open and upgrade the database; print each table and its stored version",
           dbInit);
MV_COMMAND("sql", "sql PATH \"<Jet SQL>\"  run a statement; rows tab-separated with a header", sql);
MV_COMMAND("run",
           "run PATH  data-set commands from stdin, one a line (select TABLE [condition] | filter CONDITION | "
           "new TABLE | set F=V | setref R=KEY | save | delete | print F... | next | first | list REF | up | "
           "parent KEY); the first error or refusal stops the run (exit 1)",
           run);
MV_COMMAND("copy", "copy FROM TO TABLE [\"<condition>\"]  copy rows with their owned lines, keeping OIDs, no row rules",
           copy);
