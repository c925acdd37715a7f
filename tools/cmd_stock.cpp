// Stock and document commands: the move of a document into the backup archive, and the
// barcode layouts, through the same calls the windows make.
#include "core/helpers/BusinessHelpers.h"
#include "core/configuration/Configuration.h"
#include "data/DB.h"
#include "core/databasefiles/DatabaseFiles.h"
#include "objdb/Database.h"
#include "MvTool.h"
#include "ShopFiles.h"
#include "core/helpers/ParseBarcode.h"
#include "dialogs/Startup.h"
#include "core/helpers/SystemHelpers.h"
#include "objdb/TableData.h"
#include "objdb/TableObject.h"
#include "base/UiServices.h"

namespace {

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

int move(const QStringList& args)
{
    bool ask = false;
    const std::optional<QStringList> words = mvtool::OptionParser().flag("--ask", ask).unknownAreWords().parse(args);
    if (!words || words->size() != 2) return 2;
    const QStringList& positional = *words;
    bool ok = false;
    const qint64 oid = positional[1].toLongLong(&ok);
    if (!ok) return 2;
    if (!mvtool::openWorkingDatabase()) {
        printPrompts();
        return 1;
    }
    TableObject* table = g_objDatabase->FindTable(positional[0]);
    if (!table) {
        mvtool::err(QStringLiteral("no table %1").arg(positional[0]));
        ReleaseDatabaseObjects();
        return 1;
    }
    auto element = table->Select(table->BuildKeyCondition(oid));
    const bool moved = MoveToArchive(nullptr, element.get(), !ask, false);
    element.reset();
    ReleaseDatabaseObjects();
    printPrompts();
    mvtool::out(moved ? QStringLiteral("MOVED %1 %2 to %3").arg(positional[0]).arg(oid).arg(BackupDatabasePath())
                      : QStringLiteral("NOT MOVED"));
    return moved ? 0 : 1;
}

int barcode(const QStringList& args)
{
    if (args.size() != 1) return 2;
    if (!mvtool::openWorkingDatabase()) {
        printPrompts();
        return 1;
    }
    QString code;
    double quantity = 0;
    Currency amount;
    const bool found = ParseBarcode(args[0], code, quantity, amount);
    ReleaseDatabaseObjects();
    if (!found) {
        mvtool::out(QStringLiteral("NO LAYOUT"));
        return 1;
    }
    mvtool::out(QStringLiteral("code=%1\tquantity=%2\tamount=%3").arg(code).arg(quantity).arg(amount.toString()));
    return 0;
}

}   // namespace

MV_COMMAND("move",
           "move TABLE OID [--ask]  move a document with its lines from the working database (RootDir) to the "
           "backup archive (BackupDir), as the main window does; --ask asks the confirmation (MIRTAVOLIA_PROMPTS)",
           move);
MV_COMMAND("barcode", "barcode CODE  cut a scanned code by the barcode layouts of the working database", barcode);
