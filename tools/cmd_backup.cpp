// Save and restore between the working and the backup database, and the reminder engine,
// on the working database of the configuration, through the calls the main window makes.
#include "BackupRestore.h"
#include "Clock.h"
#include "Configuration.h"
#include "DB.h"
#include "DatabaseFiles.h"
#include "Database.h"
#include "MvTool.h"
#include "ShopFiles.h"
#include "Notify.h"
#include "ReminderEngine.h"
#include "Startup.h"
#include "SystemHelpers.h"
#include "UiServices.h"
#include <QDateTime>
#include <cstdio>

namespace {

const char* kBackupUsage =
    "backup [--restore] [--all] [--from DATE] [--to DATE] [--delete] [--articoli] [--no-related] [--automatic] | "
    "backup --recover  save (restore) data between the working database (RootDir) and the backup database "
    "(BackupDir); answers from MIRTAVOLIA_PROMPTS; --to defaults to today; --recover only finishes a move a crash "
    "interrupted";
const char* kRemindersUsage =
    "reminders [--all] [--at DATETIME] [--close OID] [--postpone OID=INTERVAL]  one run of the reminder engine on the "
    "working database (at the given time), after closing or postponing a reminder (INTERVAL as listed: \"1 settimana\")";

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
    void Close() override {}
    void OnStart(int32_t, int32_t maximum) override { m_step = -1; m_max = maximum; }
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

int backup(const QStringList& args)
{
    BackupRequest request;
    request.copyRelated = true;
    request.to = appClock().today();
    bool recoverOnly = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == u"--restore") request.restore = true;
        else if (a == u"--all") request.allData = true;
        else if (a == u"--delete") request.deleteAtOrigin = true;
        else if (a == u"--articoli") request.copyArticoli = true;
        else if (a == u"--no-related") request.copyRelated = false;
        else if (a == u"--automatic") request.automatic = true;
        else if (a == u"--recover") recoverOnly = true;
        else if ((a == u"--from" || a == u"--to") && i + 1 < args.size()) {
            const std::optional<QDate> d = readDate(args[++i]);
            if (!d) return 2;
            if (a == u"--from")
                request.from = *d;
            else
                request.to = *d;
        } else {
            mvtool::err(QString::fromLatin1(kBackupUsage));
            return 2;
        }
    }
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

int reminders(const QStringList& args)
{
    bool all = false;
    std::optional<QDateTime> at;
    QList<qint64> close;
    QList<std::pair<qint64, QString>> postpone;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == u"--all") {
            all = true;
        } else if (a == u"--at" && i + 1 < args.size()) {
            QDateTime t = QDateTime::fromString(args[++i], Qt::ISODate);
            if (!t.isValid()) t = QDateTime::fromString(args[i], QStringLiteral("yyyy-MM-dd HH:mm"));
            if (!t.isValid()) return 2;
            at = t;
        } else if (a == u"--close" && i + 1 < args.size()) {
            bool ok = false;
            close << args[++i].toLongLong(&ok);
            if (!ok) return 2;
        } else if (a == u"--postpone" && i + 1 < args.size()) {
            const QString v = args[++i];
            const qsizetype eq = v.indexOf(u'=');
            bool ok = false;
            const qint64 key = eq < 0 ? 0 : v.left(eq).toLongLong(&ok);
            if (!ok) return 2;
            postpone.append({key, v.mid(eq + 1)});
        } else {
            mvtool::err(QString::fromLatin1(kRemindersUsage));
            return 2;
        }
    }
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

}  // namespace

MV_COMMAND("backup", kBackupUsage, backup);
MV_COMMAND("reminders", kRemindersUsage, reminders);
