// Save and restore between the working and the backup database, and the reminder engine,
// on the working database of the configuration, through the calls the main window makes.
#include "operations/BackupRestore.h"
#include "base/Clock.h"
#include "core/configuration/Configuration.h"
#include "data/DB.h"
#include "core/databasefiles/DatabaseFiles.h"
#include "objdb/Database.h"
#include "MvTool.h"
#include "ShopFiles.h"
#include "objdb/Notify.h"
#include "operations/ReminderEngine.h"
#include "dialogs/Startup.h"
#include "core/helpers/SystemHelpers.h"
#include "base/UiServices.h"
#include <QDateTime>
#include <cstdio>

namespace {

const char* kBackupUsage
    = "backup [--restore] [--all] [--from DATE] [--to DATE] [--delete] [--articoli] [--no-related] [--automatic] | "
      "backup --recover  save (restore) data between the working database (RootDir) and the backup database "
      "(BackupDir); answers from MIRTAVOLIA_PROMPTS; --to defaults to today; --recover only finishes a move a crash "
      "interrupted";
const char* kRemindersUsage = "reminders [--all] [--at DATETIME] [--close OID] [--postpone OID=INTERVAL]  one run of "
                              "the reminder engine on the "
                              "working database (at the given time), after closing or postponing a reminder (INTERVAL "
                              "as listed: \"1 settimana\")";

void line(const QString& text)
{
    mvtool::out(text);
    fflush(stdout);   // read as it comes by whoever watches the run
}

void printPrompts()
{
    auto* scripted = dynamic_cast<ScriptedUiServices*>(&ui());
    if (!scripted) return;
    for (QString entry : scripted->log()) {
        entry.replace(u'\r', QStringLiteral("\\r"));
        line(entry);
    }
    scripted->clearLog();
}

// The progress window's texts, and the library's progress in steps of 5 %.
class PrintedProgress final : public BackupProgress, public itfProgress {
public:
    // What the operator was asked comes before the work it let start.
    void Show(const QString& text) override
    {
        printPrompts();
        line(QStringLiteral("PROGRESS: ") + text);
    }
    itfProgress* Target() override { return this; }
    void Close() override { }
    void OnStart(int32_t, int32_t maximum) override
    {
        m_step = -1;
        m_max = maximum;
    }
    bool OnProgress(int32_t, int32_t total, int32_t position, int32_t, int32_t) override
    {
        const int32_t of = total > 0 ? total : m_max;
        if (of <= 0) return true;
        const int step = int(qint64(position) * 20 / of);
        if (step != m_step) {
            m_step = step;
            line(QStringLiteral("COUNT: %1/%2").arg(position).arg(of));
        }
        return true;
    }

private:
    int m_step = -1;
    int32_t m_max = 0;
};

std::optional<QDate> readDate(const QString& text)
{
    for (const char* form : {"yyyy-MM-dd", "dd/MM/yyyy"}) {
        const QDate d = QDate::fromString(text, QString::fromLatin1(form));
        if (d.isValid()) return d;
    }
    return std::nullopt;
}

QString outcomeName(BackupRestore::Outcome o)
{
    switch (o) {
    case BackupRestore::Outcome::Refused: return QStringLiteral("REFUSED");
    case BackupRestore::Outcome::Cancelled: return QStringLiteral("CANCELLED");
    case BackupRestore::Outcome::Completed: return QStringLiteral("COMPLETED");
    case BackupRestore::Outcome::Stopped: return QStringLiteral("STOPPED");
    case BackupRestore::Outcome::Failed: return QStringLiteral("FAILED");
    }
    return QString();
}

// A date of --from or --to; a wrong one is refused without a word, the usage line says it.
template <typename Date> mvtool::OptionParser::Take dateInto(Date& into)
{
    return [&into](const QString& text) {
        const std::optional<QDate> d = readDate(text);
        if (d) into = *d;
        return d.has_value();
    };
}

// Both commands take options alone; anything else is answered with the command's usage.
mvtool::OptionParser optionsAlone(const char* usage)
{
    mvtool::OptionParser options;
    options.maxWords(0).onUnknown(mvtool::saying(QString::fromLatin1(usage)));
    return options;
}

// The copy the arguments ask for, and whether only a move a crash interrupted is to be finished.
struct BackupCommand {
    BackupRequest request;
    bool recoverOnly = false;
};

std::optional<BackupCommand> backupCommand(const QStringList& args)
{
    BackupCommand c;
    BackupRequest& r = c.request;
    r.copyRelated = true;
    r.to = appClock().today();
    const std::optional<QStringList> words = optionsAlone(kBackupUsage)
                                                 .flag("--restore", r.restore)
                                                 .flag("--all", r.allData)
                                                 .flag("--delete", r.deleteAtOrigin)
                                                 .flag("--articoli", r.copyArticoli)
                                                 .flag("--no-related", [&r] { r.copyRelated = false; })
                                                 .flag("--automatic", r.automatic)
                                                 .flag("--recover", c.recoverOnly)
                                                 .value("--from", dateInto(r.from))
                                                 .value("--to", dateInto(r.to))
                                                 .parse(args);
    return words ? std::optional(c) : std::nullopt;
}

int backup(const QStringList& args)
{
    const std::optional<BackupCommand> command = backupCommand(args);
    if (!command) return 2;
    const BackupRequest& request = command->request;
    const bool recoverOnly = command->recoverOnly;
    if (!mvtool::openWorkingDatabase()) {
        printPrompts();
        return 1;
    }
    PrintedProgress progress;
    int status = 0;
    if (recoverOnly) {
        const int finished = RecoverInterruptedBackupMoves();
        printPrompts();
        line(QStringLiteral("RECOVERED %1").arg(finished));
    } else {
        const BackupRestore::Outcome outcome = BackupRestoreData(request, &progress);
        printPrompts();
        line(outcomeName(outcome));
        status = outcome == BackupRestore::Outcome::Completed ? 0 : 1;
    }
    ReleaseDatabaseObjects();
    return status;
}

// The reminder window as the engine sees it: never shown, so every announcement asks.
class NoWindow final : public ReminderWindowPort {
public:
    bool IsShown() const override { return false; }
    bool ShowWindow() override
    {
        line(QStringLiteral("SHOW WINDOW"));
        return true;
    }
    void ShowSign() override { line(QStringLiteral("SIGN")); }
};

// What one run of the engine is asked to do first, and when it runs.
struct RemindersCommand {
    bool all = false;
    std::optional<QDateTime> at;
    QList<qint64> close;
    QList<std::pair<qint64, QString>> postpone;
};

std::optional<RemindersCommand> remindersCommand(const QStringList& args)
{
    RemindersCommand c;
    const auto at = [&c](const QString& text) {
        QDateTime t = QDateTime::fromString(text, Qt::ISODate);
        if (!t.isValid()) t = QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm"));
        if (t.isValid()) c.at = t;
        return t.isValid();
    };
    const auto close = [&c](const QString& text) {
        bool ok = false;
        c.close << text.toLongLong(&ok);
        return ok;
    };
    // OID=INTERVAL
    const auto postpone = [&c](const QString& text) {
        const qsizetype eq = text.indexOf(u'=');
        bool ok = false;
        const qint64 key = eq < 0 ? 0 : text.left(eq).toLongLong(&ok);
        if (ok) c.postpone.append({key, text.mid(eq + 1)});
        return ok;
    };
    const std::optional<QStringList> words = optionsAlone(kRemindersUsage)
                                                 .flag("--all", c.all)
                                                 .value("--at", at)
                                                 .value("--close", close)
                                                 .value("--postpone", postpone)
                                                 .parse(args);
    return words ? std::optional(c) : std::nullopt;
}

int reminders(const QStringList& args)
{
    const std::optional<RemindersCommand> command = remindersCommand(args);
    if (!command) return 2;
    const auto& [all, at, close, postpone] = *command;
    if (at) setAppClock(std::make_shared<ManualClock>(*at));
    if (!mvtool::openWorkingDatabase()) {
        printPrompts();
        return 1;
    }
    ReminderEngine engine;
    for (qint64 key : close) engine.CloseReminders(*g_objDatabase, {{key, QString()}});
    for (const auto& [key, interval] : postpone)
        engine.Postpone(*g_objDatabase, {{key, QStringLiteral("#") + QString::number(key)}}, interval);
    NoWindow window;
    const ReminderEngine::RunResult r = engine.Run(g_objDatabase.get(), all, &window);
    printPrompts();
    line(QStringLiteral("CREATED %1").arg(r.created));
    for (const ReminderEntry& e : engine.Entries()) line(QStringLiteral("%1\t%2").arg(e.key).arg(e.text));
    ReleaseDatabaseObjects();
    return r.ran ? 0 : 1;
}

}   // namespace

MV_COMMAND("backup", kBackupUsage, backup);
MV_COMMAND("reminders", kRemindersUsage, reminders);
