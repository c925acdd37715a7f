// Maintenance copy, software update, archive import and report commands: the same calls
// the main window's commands make, answered through MIRTAVOLIA_PROMPTS.
#include "core/databasefiles/ArchiveImport.h"
#include "core/configuration/Configuration.h"
#include "data/DB.h"
#include "objdb/DBEngine.h"
#include "objdb/Database.h"
#include "core/databasefiles/MaintenanceCopy.h"
#include "MvTool.h"
#include "core/lifecycle/SoftwareUpdate.h"
#include "dialogs/ReportDisplay.h"
#include "report/ReportPainter.h"
#include "core/helpers/SystemHelpers.h"
#include "objdb/TableData.h"
#include "objdb/TableObject.h"
#include "base/UiServices.h"
#include "dialogs/frmMessage.h"
#include <QFileInfo>
#include <algorithm>
#include <optional>

namespace {

// The options of these commands; a missing value and an unknown option are said in words.
mvtool::OptionParser options()
{
    mvtool::OptionParser p;
    p.onMissingValue([](const QString& a) {
         mvtool::err(a + QStringLiteral(" needs a value"));
     }).onUnknown([](const QString& a) { mvtool::err(QStringLiteral("unknown option: ") + a); });
    return p;
}

// What the operator was asked or told, so a scripted run can be read afterwards.
void printPrompts()
{
    auto* scripted = dynamic_cast<ScriptedUiServices*>(&ui());
    if (!scripted) return;
    for (QString line : scripted->log()) {
        line.replace(u'\r', QStringLiteral("\\r"));
        mvtool::out(line);
    }
}

// The configuration as the program loads it, with the database folder of --root.
void loadConfiguration(const std::optional<QString>& root)
{
    LoadConfiguration();
    if (root) settings().RootDir = *root;
}

// The maintenance commands take --root alone; false when the arguments are wrong.
bool maintenanceOptions(const QStringList& args, std::optional<QString>& root)
{
    const std::optional<QStringList> words = options().value("--root", root).parse(args);
    return words && words->isEmpty();
}

int maintSave(const QStringList& args)
{
    std::optional<QString> root;
    if (!maintenanceOptions(args, root)) return 2;
    loadConfiguration(root);
    const MaintenanceOutcome outcome = RunMaintenanceCommand(false);
    printPrompts();
    const bool saved = outcome == MaintenanceOutcome::EndProgram;
    mvtool::out(saved ? QStringLiteral("saved to ") + MaintenanceCopyPath() : QStringLiteral("not saved"));
    return saved ? 0 : 1;
}

int maintRestore(const QStringList& args)
{
    std::optional<QString> root;
    if (!maintenanceOptions(args, root)) return 2;
    loadConfiguration(root);
    // The command's own flow, but with its result: mvtool holds no database to release.
    bool restored = false;
    if (settings().MaintenanceDir.isEmpty())
        (void)RunMaintenanceCommand(true);
    else
        restored = MaintenanceSaveRestore(true);
    printPrompts();
    mvtool::out(restored ? QStringLiteral("restored") : QStringLiteral("not restored"));
    return restored ? 0 : 1;
}

int maintCheck(const QStringList& args)
{
    std::optional<QString> root;
    if (!maintenanceOptions(args, root)) return 2;
    loadConfiguration(root);
    const bool open = CheckMaintenanceState();
    printPrompts();
    mvtool::out(open ? QStringLiteral("open database") : QStringLiteral("Database non inizializzato..."));
    return open ? 0 : 1;
}

struct UpdateCommand {
    std::optional<QString> mode, root, name, version, url;
    bool quiet = false;
    int modeNumber = 0;
    int major = AppVersionMajor(), minor = AppVersionMinor(), revision = AppVersionRevision();
};

// Every option read first; then --mode, which must be there, and --version are checked.
std::optional<UpdateCommand> updateCommand(const QStringList& args)
{
    UpdateCommand c;
    const std::optional<QStringList> words = options()
                                                 .value("--mode", c.mode)
                                                 .value("--root", c.root)
                                                 .value("--name", c.name)
                                                 .value("--version", c.version)
                                                 .value("--url", c.url)
                                                 .flag("--quiet", c.quiet)
                                                 .parse(args);
    if (!words || !words->isEmpty() || !c.mode) return std::nullopt;
    bool ok = false;
    c.modeNumber = c.mode->toInt(&ok);
    if (!ok || c.modeNumber < 0 || c.modeNumber > 2) {
        mvtool::err(QStringLiteral("--mode is 0, 1 or 2"));
        return std::nullopt;
    }
    if (c.version) {
        const QStringList v = c.version->split(u'.');
        if (v.size() != 3) {
            mvtool::err(QStringLiteral("--version is MAJOR.MINOR.REVISION"));
            return std::nullopt;
        }
        c.major = v[0].toInt();
        c.minor = v[1].toInt();
        c.revision = v[2].toInt();
    }
    return c;
}

int update(const QStringList& args)
{
    const std::optional<UpdateCommand> command = updateCommand(args);
    if (!command) return 2;
    const UpdateCommand& c = *command;
    loadConfiguration(c.root);
    if (c.url) g_strUpdateBaseUrl = *c.url;
    // The executable's name is the packages' prefix; mvtool stands in for the program.
    const QString name = c.name.value_or(QStringLiteral("mirtavolia"));
    setSoftwareUpdateEndHandler([] { mvtool::out(QStringLiteral("the program ends for the update")); });
    // The start-up search (mode 1) has no progress window; the menu command has one.
    itfProgress* progress = c.modeNumber == UpdateLocalOnly ? nullptr : &frmMessage::instance();
    if (progress) frmMessage::instance().ShowMsg(QStringLiteral("Aggiornamento del software..."));
    bool started = false;
    try {
        started = RunSoftwareUpdate(settings().RootDir, name, c.major, c.minor, c.revision, c.modeNumber, nullptr,
                                    progress, c.quiet, true);
    } catch (...) {
        frmMessage::unloadInstance();
        printPrompts();
        throw;
    }
    frmMessage::unloadInstance();
    printPrompts();
    mvtool::out(started ? QStringLiteral("update started") : QStringLiteral("NESSUN AGGIORNAMENTO."));
    return started ? 0 : 1;
}

// The working file opened as the program opens it: declared, upgraded, rules in place.
std::shared_ptr<Database> openWorking(const QString& path, std::shared_ptr<DBEngine>& engine)
{
    engine = std::make_shared<DBEngine>();
    engine->OpenDatabase(3, path);
    auto db = LibraryGlobal::NewDatabase(std::make_shared<DB>(), QStringLiteral("mvtool"), nullptr);
    db->AttachEngine(engine);
    return db;
}

int importArchive(const QStringList& args)
{
    if (args.size() != 3) return 2;
    std::shared_ptr<DBEngine> engine;
    auto db = openWorking(args[0], engine);
    TableObject* table = db->FindTable(args[2]);
    if (!table) {
        mvtool::err(QStringLiteral("no table ") + args[2] + QStringLiteral(" in ") + args[0]);
        return 1;
    }
    auto shown = table->Select();
    const qint64 before = shown->RowCount();
    const bool done = ImportArchiveData(args[1], *shown);
    printPrompts();
    const qint64 after = table->Select()->RowCount();
    mvtool::out(QStringLiteral("%1: %2 rows before, %3 after").arg(table->Name()).arg(before).arg(after));
    return done ? 0 : 1;
}

// Where a keyword stands outside quoted text and brackets, from `from`; -1 when absent.
int keywordAt(const QString& text, const QString& keyword, int from = 0)
{
    QChar quote;
    for (int i = from; i < text.size(); ++i) {
        const QChar c = text[i];
        if (!quote.isNull()) {
            if (c == quote) quote = QChar();
            continue;
        }
        if (c == u'\'' || c == u'"') {
            quote = c;
            continue;
        }
        if (c == u'[') {
            quote = u']';
            continue;
        }
        const bool boundaryBefore = i == 0 || text[i - 1].isSpace();
        const int end = i + int(keyword.size());
        const bool boundaryAfter = end >= text.size() || text[end].isSpace();
        if (boundaryBefore && boundaryAfter && text.mid(i, keyword.size()).compare(keyword, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

// "[SELECT fields FROM] Table [WHERE condition] [ORDER BY order]": the pieces of a data set.
struct ReportQuery {
    QStringList fields;
    QString table, condition, order;
};
std::optional<ReportQuery> parseQuery(QString text)
{
    ReportQuery q;
    text = text.trimmed();
    if (keywordAt(text, QStringLiteral("SELECT")) == 0) {
        const int from = keywordAt(text, QStringLiteral("FROM"));
        if (from < 0) return std::nullopt;
        const QString list = text.mid(6, from - 6).trimmed();
        if (list.isEmpty()) return std::nullopt;
        if (list != QStringLiteral("*"))
            for (const QString& f : list.split(u',', Qt::SkipEmptyParts))
                q.fields << f.trimmed().remove(u'[').remove(u']');
        text = text.mid(from + 4).trimmed();
    }
    const int where = keywordAt(text, QStringLiteral("WHERE"));
    const int order = keywordAt(text, QStringLiteral("ORDER"));
    const int tableEnd = std::min(where < 0 ? int(text.size()) : where, order < 0 ? int(text.size()) : order);
    q.table = text.left(tableEnd).trimmed().remove(u'[').remove(u']');
    if (where >= 0) q.condition = text.mid(where + 5, (order > where ? order : text.size()) - where - 5).trimmed();
    if (order >= 0) {
        QString rest = text.mid(order + 5).trimmed();
        if (keywordAt(rest, QStringLiteral("BY")) != 0) return std::nullopt;
        q.order = rest.mid(2).trimmed();
    }
    if (q.table.isEmpty() || q.table.contains(u' ')) return std::nullopt;
    return q;
}

int reportCommand(const QStringList& args)
{
    std::optional<QString> pdf, title;
    const std::optional<QStringList> words = options().value("--pdf", pdf).value("--title", title).parse(args);
    if (!words || words->size() != 2 || !pdf) return 2;
    const auto q = parseQuery(words->at(1));
    if (!q) {
        mvtool::err(QStringLiteral("expected \"[SELECT fields FROM] Table [WHERE condition] [ORDER BY order]\""));
        return 2;
    }
    // Only read: a report never changes the file it reports on.
    auto engine = std::make_shared<DBEngine>();
    engine->OpenDatabase(DBEngine::kReadOnlyOpen, words->at(0));
    auto db = LibraryGlobal::OpenExistingDatabase(engine, nullptr);
    TableObject* table = db->FindTable(q->table);
    if (!table) {
        mvtool::err(QStringLiteral("no table ") + q->table);
        return 1;
    }
    auto rows = table->Select(q->condition, q->order);
    // A misspelt field would silently leave its column out of the report.
    const std::vector<FieldInfo> infos = rows->GetFieldInfos();
    for (const QString& f : q->fields) {
        const bool known = std::any_of(infos.begin(), infos.end(),
                                       [&](const FieldInfo& i) { return i.Name.compare(f, Qt::CaseInsensitive) == 0; });
        if (!known) {
            mvtool::err(QStringLiteral("Campo inesistente in %1: %2").arg(table->Name(), f));
            return 1;
        }
    }
    const report::ReportLayout layout = ColumnReportLayout(*rows, q->fields, table->GetCaption());
    const report::ReportDocument doc = BuildDataReport(*rows, layout, title.value_or(table->GetCaption()));
    report::writePdf(doc, *pdf);
    mvtool::out(QStringLiteral("%1 rows, %2 pages").arg(rows->RowCount()).arg(doc.pageCount()));
    return 0;
}

}   // namespace

MV_COMMAND("maint-save", "maint-save [--root DIR]: maintenance copy of the working database (folder from the prompts)",
           maintSave);
MV_COMMAND("maint-restore", "maint-restore [--root DIR]: restores the maintenance copy over the working database",
           maintRestore);
MV_COMMAND("maint-check", "maint-check [--root DIR]: the start-up offer while the maintenance flag file exists",
           maintCheck);
MV_COMMAND("update",
           "update --mode N [--root DIR] [--name NAME] [--version X.Y.Z] [--url BASE] [--quiet]: software update (0 "
           "local and online, 1 local, 2 online)",
           update);
MV_COMMAND("import-archive",
           "import-archive TARGET SOURCE TABLE: imports the table's rows from another database file (answers from the "
           "prompts)",
           importArchive);
MV_COMMAND("report",
           "report PATH \"[SELECT fields FROM] Table [WHERE condition] [ORDER BY order]\" --pdf FILE [--title T]: a "
           "column report of the rows as PDF",
           reportCommand);
