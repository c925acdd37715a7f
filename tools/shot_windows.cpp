// Windows that `mvtool shot` renders with contents of their own: the error report with a
// sample error, and the main window over a new shop database in a temporary folder, its
// administrator logged in, so the tree, the section buttons and the empty detail area show.
#include "AppError.h"
#include "DB.h"
#include "DBEngine.h"
#include "Database.h"
#include "DatabaseFiles.h"
#include "ErrorReporting.h"
#include "OperatorLogin.h"
#include "WindowRegistry.h"
#include "frmMain.h"
#include "frmShowException.h"
#include <QTemporaryDir>
#include <memory>

namespace {
QWidget* mainWindowOverNewShop()
{
    static QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("Mirtavolia.mdb"));
    if (!g_objDatabase) {
        auto engine = std::make_shared<DBEngine>();
        engine->CreateDatabase(kDefaultDBOpenMode, path);
        engine->OpenDatabase(kDefaultDBOpenMode, path);
        auto db = LibraryGlobal::NewDatabase(std::make_shared<DB>(), QStringLiteral("Mirtavolia"), nullptr);
        db->AttachEngine(engine);
        db->SetAccessLevel(1);
        g_objDBEngine = engine;
        g_objDatabase = db;
        g_strOperatorName = QStringLiteral("Amministratore");
    }
    auto* w = new frmMain;
    // The database goes with the window, before the tool's SQL drivers do.
    QObject::connect(w, &QObject::destroyed, [] { ReleaseDatabaseObjects(); });
    w->SetAutoActivate(false);
    w->SetTreeViewNodes();
    w->RefreshDetailView(QString(), QString());
    return w;
}
}  // namespace

MV_REGISTER_WINDOW(frmMain, [] { return mainWindowOverNewShop(); });

MV_REGISTER_WINDOW(frmShowException, [] {
    auto* w = new frmShowException;
    const AppError e = AppError::object(AppError::kGenericCode, QStringLiteral("Mirtavolia"),
                                        QStringLiteral("Il file non è accessibile: /home/cassa/Mirtavolia.mdb"));
    w->SetException(ErrorCodeText(e.number), e.description);
    return w;
});
