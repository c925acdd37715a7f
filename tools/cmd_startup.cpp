// Start-up commands: the configuration exchange file and the repair of a database file.
#include "base/AppError.h"
#include "core/configuration/Configuration.h"
#include "core/configuration/ConfigurationFile.h"
#include "data/DB.h"
#include "core/databasefiles/DatabaseFiles.h"
#include "core/databasefiles/DatabaseRepair.h"
#include "MvTool.h"
#include <QFileInfo>

namespace {
int configExport(const QStringList& args)
{
    if (args.size() != 1) return 2;
    LoadConfiguration();
    try {
        configfile::WriteConfigurationFile(args.first());
    } catch (const AppError& e) {
        mvtool::err(QStringLiteral("Errore durante la scrittura del file di configurazione"));
        mvtool::err(mvtool::lines(e.description));
        return 1;
    }
    mvtool::out(args.first());
    return 0;
}

int configImport(const QStringList& args)
{
    if (args.size() != 1) return 2;
    LoadConfiguration();
    try {
        const int written = configfile::ImportConfigurationFile(args.first());
        mvtool::out(QStringLiteral("%1 settings imported").arg(written));
        return 0;
    } catch (const AppError& e) {
        mvtool::err(QStringLiteral("Errore durante la lettura del file di configurazione"));
        mvtool::err(e.description);
        return 1;
    }
}

int repair(const QStringList& args)
{
    if (args.size() != 1) return 2;
    const QString path = QFileInfo(args.first()).absoluteFilePath();
    if (!QFileInfo(path).isFile()) {
        mvtool::err(QStringLiteral("no database file at %1").arg(path));
        return 1;
    }
    LoadConfiguration();
    SetDatabaseDefinitionFactory([] { return std::make_shared<DB>(); });
    const DatabaseRepair::Result r = DatabaseRepair().Repair(path, QFileInfo(path).absolutePath());
    if (!r.foreignLog.isEmpty()) mvtool::out(ForeignLogNotice(r.foreignLog));
    mvtool::out(
        QStringLiteral("integrity before: %1").arg(QString(r.integrityBefore).replace(u'\n', QStringLiteral("; "))));
    mvtool::out(QStringLiteral("size: %1 -> %2 bytes").arg(r.sizeBefore).arg(r.sizeAfter));
    if (!r.leftover.isEmpty()) mvtool::out(QStringLiteral("could not delete %1").arg(r.leftover));
    return 0;
}
}

MV_COMMAND("config-export", "config-export FILE: writes section Configuration as the exchange file (key=value, CR LF)",
           configExport);
MV_COMMAND("config-import",
           "config-import FILE: imports an exchange file (checked whole first; nothing changes on a bad line)",
           configImport);
MV_COMMAND("repair", "repair PATH: integrity check and compacting copy of a database file, swapped in safely", repair);
