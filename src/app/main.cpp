// The program's entry point: the core's start (one copy, splash, configuration, access
// password) loads the main window, whose first activation opens the database and lets the
// operator in. The program ends when the main window unloads through a close command: its
// close box only hides it, so the last window closing must not end the program on its own.
#include "core/configuration/Configuration.h"
#include "data/DB.h"
#include "core/databasefiles/DatabaseFiles.h"
#include "core/seams/MainWindowServices.h"
#include "dialogs/ProgramDialogs.h"
#include "dialogs/MirtavoliaApplication.h"
#include "widgets/QtUiServices.h"
#include "documents/ui/ReportLayouts.h"
#include "dialogs/Startup.h"
#include "dialogs/SystemEnd.h"
#include "devices/cards/ui/frmMagneticDev.h"
#include "mainwindow/frmMain.h"

#include <QApplication>

int main(int argc, char** argv)
{
    // Before the application: the platform speaks while it starts.
    InstallPlatformMessageFilter();
    MirtavoliaApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    InstallUiServices(QString::fromLatin1(kAppTitle), ShowMainWindowStatus);
    InstallDialogServices();
    SetDatabaseDefinitionFactory([] { return std::make_shared<DB>(); });
    std::unique_ptr<frmMain> window;
    // A shutdown's SIGTERM (or SIGHUP) closes the program as the system's end of the session
    // does; before the main window is loaded there is nothing to keep.
    QObject::connect(&SystemEndSignals::Install(), &SystemEndSignals::endRequested, qApp, [&window] {
        if (window)
            window->EndForSystem();
        else
            EndProgramForSystem([] { QCoreApplication::exit(0); });
    });
    const int code = Main([&window]() -> QWidget* {
        InstallReportLayouts();
        InstallCustomerCardWriter();
        window = std::make_unique<frmMain>();
        QObject::connect(window.get(), &frmMain::Unloaded, qApp, &QCoreApplication::quit, Qt::QueuedConnection);
        return window.get();
    });
    window.reset();
    return code;
}
