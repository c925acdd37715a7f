#include "Startup.h"
#include "base/AppError.h"
#include "core/configuration/Configuration.h"
#include "objdb/CurrencyInfo.h"
#include "objdb/DBEngine.h"
#include "objdb/Database.h"
#include "core/databasefiles/DatabaseFiles.h"
#include "core/databasefiles/DatabaseRepair.h"
#include "core/lifecycle/ErrorReporting.h"
#include "core/seams/MainWindowServices.h"
#include "core/databasefiles/OpenDocuments.h"
#include "objdb/Notify.h"
#include "core/lifecycle/SingleInstance.h"
#include "core/lifecycle/SoftwareUpdate.h"
#include "core/helpers/SystemHelpers.h"
#include "base/UiServices.h"
#include "frmMessage.h"
#include "frmOptions.h"
#include "frmPassword.h"
#include "frmSplash.h"
#include <QApplication>

namespace {
// A package waiting in the local "Updates" folder of the working folder; the operator is
// asked before it is installed, and the program ends once its setup program runs.
void localUpdateCheck()
{
    (void)RunSoftwareUpdate(settings().RootDir, AppExeName(), AppVersionMajor(), AppVersionMinor(),
                            AppVersionRevision(), 1, nullptr, nullptr, false, true);
}

StartupUpdateCheck& updateCheck()
{
    static StartupUpdateCheck c = localUpdateCheck;
    return c;
}

QString& openingNotice()
{
    static QString notice;
    return notice;
}

QWidget* mainWidget()
{
    MainWindowServices* mw = mainWindowServices();
    return mw ? mw->mainWidget() : nullptr;
}
}

void SetStartupUpdateCheck(StartupUpdateCheck check) { updateCheck() = check ? std::move(check) : localUpdateCheck; }

int Main(const MainWindowLoader& loadMainWindow)
{
    SingleInstanceLock lock;
    if (!lock.TryAcquire()) {
        ui().msgBox(AlreadyRunningMessage(), int(Msg::OKOnly) + int(Msg::Information), AppTitle());
        return 0;
    }
    frmSplash& splash = frmSplash::instance();
    splash.ShowNow();
    try {
        LoadConfiguration();
    } catch (...) {
        // The configuration has a default for every value; a store that cannot be read is
        // reported and the start goes on with what was loaded.
        ShowErrorDetails(QStringLiteral("Errore in caricamento configurazione: "));
    }
    if (!frmPassword::instance().ValidatePassword(&splash, false, nullptr, false, false)) {
        frmSplash::unloadInstance();
        // The system's end closed the window: no password was refused, the program ends as
        // the system asked.
        return systemEnding() ? 0 : 1;
    }
    QWidget* mainWindow = loadMainWindow();
    frmSplash::unloadInstance();
    frmPassword::unloadInstance();
    mainWindow->show();
    return QApplication::exec();
}

QString OpeningNotice() { return openingNotice(); }

bool InitDatabase(bool& bOpenedBefore)
{
    QWidget* owner = mainWidget();
    openingNotice().clear();
    try {
        frmMessage::instance().ShowMsg(QStringLiteral("Inizializzazione del database..."), owner, -1, -1);

        QString path;
        for (;;) {
            path = BuildFilePath(
                settings().RootDir,
                QString::fromLatin1(settings().MaintenanceMode ? kMaintenanceDatabaseFileName : kDatabaseFileName),
                QString());
            // A repair or a restore a crash stopped half-way may have left the shop under
            // another name: put back before the file is found missing.
            const QString recovered = DatabaseRepair::RecoverInterruptedSwap(path, settings().RootDir);
            if (!recovered.isEmpty())
                ui().status(QStringLiteral("Database ripristinato da < ") + recovered + QStringLiteral(" >"));
            if (FileExists(path)) break;
            if (settings().MaintenanceMode) {
                const bool retry = ui().msgBox(QStringLiteral("Il database non è presente in < ") + settings().RootDir
                                                   + QStringLiteral(" >\r\rRiprovare ?"),
                                               int(Msg::YesNo) + int(Msg::Exclamation), AppTitle())
                    == Msg::Yes;
                bOpenedBefore = false;
                if (retry) continue;
            } else if (ui().msgBox(QStringLiteral("Il database non è presente\r\rVuoi crearlo ?"),
                                   int(Msg::YesNo) + int(Msg::Question) + int(Msg::DefaultButton2), AppTitle())
                       == Msg::Yes) {
                break;   // created below
            }
            // No: the settings may point elsewhere. The file is never created after a No,
            // whatever was opened before.
            if (!frmOptions::ShowModalWithoutRepair(owner)) {
                frmMessage::unloadInstance();
                return false;
            }
        }

        if (!g_bBackupArchiveMode && !settings().RootDir.isEmpty() && updateCheck()) {
            try {
                updateCheck()();
            } catch (...) {
                // The opening never depends on the update check.
            }
        }

        g_objDatabase
            = LibraryGlobal::NewDatabase(NewDatabaseDefinition(), AppExeName(), DatabaseNotifyTarget(), nullptr, 0);
        g_nDBOpenMode = kDefaultDBOpenMode;
        g_objDBEngine = std::make_shared<DBEngine>();
        // Read only from the first statement: a file the user may not write opens too, and
        // nothing (not even the list of connections) is written to it.
        if (settings().AccessMode == DBEngine::kAccessReadOnly) g_objDBEngine->SetAccessMode(settings().AccessMode);
        if (!FileExists(path)) {
            CreateDirectoryTree(path);
            g_objDBEngine->CreateDatabase(g_nDBOpenMode, path, 0, 0);
        }
        const std::shared_ptr<CurrencyInfo> currency = g_objDatabase->GetCurrency();
        if (currency && currency->Name(0) == QStringLiteral("Euro"))
            g_objDatabase->SetCurrency(std::make_shared<EuroCurrencyInfo>());
        else
            g_objDatabase->SetCurrency(std::make_shared<OtherCurrencyInfo>());
        g_objDBEngine->OpenDatabase(g_nDBOpenMode, path, 0, 0, nullptr, 5, 0, true, true, 0, -2);
        g_objDatabase->AttachEngine(g_objDBEngine, true, 0, 0, 0,
                                    dynamic_cast<itfProgress*>(static_cast<QWidget*>(&frmMessage::instance())));
        ApplyDatabaseSettings();
        // What a program that died left open goes before anyone works on the file.
        QStringList notices;
        if (!g_objDBEngine->SetAsideLog().isEmpty()) notices << ForeignLogNotice(g_objDBEngine->SetAsideLog());
        notices << UndoAbandonedDocuments(*g_objDatabase).StatusText();
        notices.removeAll(QString());
        openingNotice() = notices.join(QStringLiteral(" - "));
        if (!openingNotice().isEmpty()) ui().status(openingNotice());
        frmMessage::unloadInstance();
        return true;
    } catch (...) {
        const AppError e = CurrentError();
        // A half-made opening is dropped, so the next activation tries again from nothing.
        ReleaseDatabaseObjects();
        frmMessage::unloadInstance();
        ShowErrorDetails(e, QStringLiteral("Inizializzazione database fallita: \r\r") + e.description);
        return false;
    }
}
