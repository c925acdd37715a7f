// Maintenance copy, software update, archive import and report commands: the same calls
// the main window's commands make, answered through MIRTAVOLIA_PROMPTS.
#include "Configuration.h"
#include "MaintenanceCopy.h"
#include "MvTool.h"
#include "SoftwareUpdate.h"
#include "SystemHelpers.h"
#include "UiServices.h"
#include "frmMessage.h"
#include <optional>

namespace {

// "--name value" options after the positional arguments; flags have no value.
struct Options {
    QStringList positional;
    QHash<QString, QString> values;
    QSet<QString> flags;

    static std::optional<Options> parse(const QStringList& args, const QStringList& valued, const QStringList& flagNames) {
        Options o;
        for (int i = 0; i < args.size(); ++i) {
            const QString& a = args[i];
            if (valued.contains(a)) {
                if (i + 1 >= args.size()) { mvtool::err(a + QStringLiteral(" needs a value")); return std::nullopt; }
                o.values[a] = args[++i];
            } else if (flagNames.contains(a)) {
                o.flags << a;
            } else if (a.startsWith(QStringLiteral("--"))) {
                mvtool::err(QStringLiteral("unknown option: ") + a);
                return std::nullopt;
            } else {
                o.positional << a;
            }
        }
        return o;
    }
};

// What the operator was asked or told, so a scripted run can be read afterwards.
void printPrompts() {
    auto* scripted = dynamic_cast<ScriptedUiServices*>(&ui());
    if (!scripted) return;
    for (QString line : scripted->log()) {
        line.replace(u'\r', QStringLiteral("\\r"));
        mvtool::out(line);
    }
}

// The configuration as the program loads it, with the database folder of --root.
void loadConfiguration(const Options& o) {
    LoadConfiguration();
    if (o.values.contains(QStringLiteral("--root"))) RootDir = o.values.value(QStringLiteral("--root"));
}

int maintSave(const QStringList& args) {
    const auto o = Options::parse(args, {QStringLiteral("--root")}, {});
    if (!o || !o->positional.isEmpty()) return 2;
    loadConfiguration(*o);
    const MaintenanceOutcome outcome = RunMaintenanceCommand(false);
    printPrompts();
    const bool saved = outcome == MaintenanceOutcome::EndProgram;
    mvtool::out(saved ? QStringLiteral("saved to ") + MaintenanceCopyPath() : QStringLiteral("not saved"));
    return saved ? 0 : 1;
}

int maintRestore(const QStringList& args) {
    const auto o = Options::parse(args, {QStringLiteral("--root")}, {});
    if (!o || !o->positional.isEmpty()) return 2;
    loadConfiguration(*o);
    // The command's own flow, but with its result: mvtool holds no database to release.
    bool restored = false;
    if (MaintenanceDir.isEmpty()) (void)RunMaintenanceCommand(true);
    else restored = MaintenanceSaveRestore(true);
    printPrompts();
    mvtool::out(restored ? QStringLiteral("restored") : QStringLiteral("not restored"));
    return restored ? 0 : 1;
}

int maintCheck(const QStringList& args) {
    const auto o = Options::parse(args, {QStringLiteral("--root")}, {});
    if (!o || !o->positional.isEmpty()) return 2;
    loadConfiguration(*o);
    const bool open = CheckMaintenanceState();
    printPrompts();
    mvtool::out(open ? QStringLiteral("open database") : QStringLiteral("Database non inizializzato..."));
    return open ? 0 : 1;
}

int update(const QStringList& args) {
    const auto o = Options::parse(args, {QStringLiteral("--mode"), QStringLiteral("--root"), QStringLiteral("--name"),
                                         QStringLiteral("--version"), QStringLiteral("--url")},
                                  {QStringLiteral("--quiet")});
    if (!o || !o->positional.isEmpty() || !o->values.contains(QStringLiteral("--mode"))) return 2;
    bool ok = false;
    const int mode = o->values.value(QStringLiteral("--mode")).toInt(&ok);
    if (!ok || mode < 0 || mode > 2) { mvtool::err(QStringLiteral("--mode is 0, 1 or 2")); return 2; }
    int major = AppVersionMajor(), minor = AppVersionMinor(), revision = AppVersionRevision();
    if (o->values.contains(QStringLiteral("--version"))) {
        const QStringList v = o->values.value(QStringLiteral("--version")).split(u'.');
        if (v.size() != 3) { mvtool::err(QStringLiteral("--version is MAJOR.MINOR.REVISION")); return 2; }
        major = v[0].toInt();
        minor = v[1].toInt();
        revision = v[2].toInt();
    }
    loadConfiguration(*o);
    if (o->values.contains(QStringLiteral("--url"))) g_strUpdateBaseUrl = o->values.value(QStringLiteral("--url"));
    // The executable's name is the packages' prefix; mvtool stands in for the program.
    const QString name = o->values.value(QStringLiteral("--name"), QStringLiteral("mirtavolia"));
    setSoftwareUpdateEndHandler([] { mvtool::out(QStringLiteral("the program ends for the update")); });
    // The start-up search (mode 1) has no progress window; the menu command has one.
    itfProgress* progress = mode == UpdateLocalOnly ? nullptr : &frmMessage::instance();
    if (progress) frmMessage::instance().ShowMsg(QStringLiteral("Aggiornamento del software..."));
    bool started = false;
    try {
        started = RunSoftwareUpdate(RootDir, name, major, minor, revision, mode, nullptr, progress,
                                    o->flags.contains(QStringLiteral("--quiet")), true);
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

}  // namespace

MV_COMMAND("maint-save", "maint-save [--root DIR]: maintenance copy of the working database (folder from the prompts)", maintSave);
MV_COMMAND("maint-restore", "maint-restore [--root DIR]: restores the maintenance copy over the working database", maintRestore);
MV_COMMAND("maint-check", "maint-check [--root DIR]: the start-up offer while the maintenance flag file exists", maintCheck);
MV_COMMAND("update", "update --mode N [--root DIR] [--name NAME] [--version X.Y.Z] [--url BASE] [--quiet]: software update (0 local and online, 1 local, 2 online)", update);
