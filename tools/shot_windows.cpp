// Windows that `mvtool shot` renders with contents of their own: the error report with a
// sample error, and the main window over the shop file of --db or else a new sample shop in
// a temporary folder, its administrator logged in, so the tree, the section buttons and the
// detail area show.
#include "base/AppError.h"
#include "data/DB.h"
#include "objdb/DBEngine.h"
#include "objdb/Database.h"
#include "core/configuration/Configuration.h"
#include "core/databasefiles/DatabaseFiles.h"
#include "core/lifecycle/ErrorReporting.h"
#include "dialogs/OperatorLogin.h"
#include "mainwindow/SectionTreeView.h"
#include "ShotOptions.h"
#include "ShotSample.h"
#include "dialogs/WindowRegistry.h"
#include "mainwindow/frmMain.h"
#include "dialogs/frmShowException.h"
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <memory>

void mvtool::OpenShotDatabase()
{
    if (g_objDatabase) return;
    const ShotOptions& o = shotOptions();
    if (o.database.isEmpty()) return;
    if (!QFileInfo::exists(o.database))
        throw AppError::object(1, QStringLiteral("shot"), QStringLiteral("File inesistente: ") + o.database);
    auto engine = std::make_shared<DBEngine>();
    engine->OpenDatabase(kDefaultDBOpenMode, o.database);
    auto db = LibraryGlobal::NewDatabase(std::make_shared<DB>(), QStringLiteral("Mirtavolia"), nullptr);
    db->AttachEngine(engine);
    db->SetAccessLevel(o.level);
    g_objDBEngine = engine;
    g_objDatabase = db;
    g_strOperatorName = QStringLiteral("Amministratore");
}

void mvtool::OpenSampleShop()
{
    if (g_objDatabase) return;
    static QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("Mirtavolia.mdb"));
    auto engine = std::make_shared<DBEngine>();
    engine->CreateDatabase(kDefaultDBOpenMode, path);
    engine->OpenDatabase(kDefaultDBOpenMode, path);
    auto db = LibraryGlobal::NewDatabase(std::make_shared<DB>(), QStringLiteral("Mirtavolia"), nullptr);
    db->AttachEngine(engine);
    db->SetAccessLevel(1);
    FillSampleShop(*db);
    g_objDBEngine = engine;
    g_objDatabase = db;
    g_strOperatorName = QStringLiteral("Amministratore");
}

void mvtool::OpenWorkingShop()
{
    if (g_objDatabase) return;
    const QString working = BuildFilePath(settings().RootDir, QString::fromLatin1(kDatabaseFileName), QString());
    if (!QFileInfo::exists(working)) {
        OpenSampleShop();
        return;
    }
    shotOptions().database = working;
    OpenShotDatabase();
}

namespace {
// The main window over the shop file of --db, else over the sample shop, showing the view of
// the node `--table` names (by default the first node that has one: the day's sales). A
// section or group has no key: it is named by its caption, and shows its section buttons
// over an empty detail area.
QWidget* mainWindowOverShop()
{
    mvtool::OpenShotDatabase();
    mvtool::OpenSampleShop();
    auto* w = new frmMain;
    // The database goes with the window, before the tool's SQL drivers do.
    QObject::connect(w, &QObject::destroyed, [] { ReleaseDatabaseObjects(); });
    w->SetAutoActivate(false);
    w->SetTreeViewNodes();
    const QString node = mvtool::shotOptions().table;
    QTreeWidgetItem* shown = node.isEmpty() ? nullptr : SectionTreeView::ItemByKey(*w->TreeView(), node);
    for (int i = 1; !shown && !node.isEmpty() && i <= SectionTreeView::NodeCount(*w->TreeView()); ++i) {
        QTreeWidgetItem* item = SectionTreeView::ItemAt(*w->TreeView(), i);
        if (!SectionTreeView::HasKey(item) && item->text(0) == node) shown = item;
    }
    if (!node.isEmpty() && !shown) {
        delete w;
        throw AppError::object(1, QStringLiteral("shot"), QStringLiteral("Nodo inesistente: ") + node);
    }
    for (int i = 1; !shown && i <= SectionTreeView::NodeCount(*w->TreeView()); ++i)
        if (SectionTreeView::HasKey(SectionTreeView::ItemAt(*w->TreeView(), i)))
            shown = SectionTreeView::ItemAt(*w->TreeView(), i);
    if (shown) w->TreeView()->setCurrentItem(shown);
    w->RefreshDetailView(QString(), QString());
    return w;
}
}   // namespace

MV_REGISTER_WINDOW(frmMain, [] { return mainWindowOverShop(); });

MV_REGISTER_WINDOW(frmShowException, [] {
    auto* w = new frmShowException;
    const AppError e = AppError::object(AppError::kGenericCode, QStringLiteral("Mirtavolia"),
                                        QStringLiteral("Il file non è accessibile: /home/cassa/Mirtavolia.mdb"));
    w->SetException(ErrorCodeText(e.number), e.description);
    return w;
});
