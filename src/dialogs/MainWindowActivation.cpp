#include "MainWindowActivation.h"
#include "base/AppError.h"
#include "core/configuration/Configuration.h"
#include "core/databasefiles/DatabaseFiles.h"
#include "core/lifecycle/ErrorReporting.h"
#include "core/seams/MainWindowServices.h"
#include "core/databasefiles/MaintenanceCopy.h"
#include "OperatorLogin.h"
#include "Startup.h"
#include "core/helpers/SystemHelpers.h"
#include "base/UiServices.h"
#include "frmOptions.h"
#include <QWidget>

namespace {
// Clears a flag whichever way the step ends.
class Raised {
public:
    explicit Raised(bool& flag) : m_flag(flag) { m_flag = true; }
    ~Raised() { m_flag = false; }
    Raised(const Raised&) = delete;
    Raised& operator=(const Raised&) = delete;

private:
    bool& m_flag;
};
}

MainWindowActivation::Outcome MainWindowActivation::Activate(MainWindowServices& window)
{
    // The opening's own dialogs and the options dialog activate the window again.
    if (window.OptionsActive() || m_openingDatabase || m_activating) return Outcome::Skipped;
    Raised activating(m_activating);
    try {
        if (!g_objDatabase && !g_objDBEngine) {
            bool opened = false;
            {
                Raised opening(m_openingDatabase);
                opened = CheckMaintenanceState() && InitDatabase(m_started);
            }
            if (!opened) RaiseAppError(AppExeName(), QStringLiteral("Database non inizializzato..."));
            QWidget* widget = window.mainWidget();
            if (widget && widget->isMinimized()) widget->showNormal();
            if (!UserLogin(widget, true, false, [&window] { window.SetAppTitle(); })) return Outcome::Close;
        }
        m_started = true;
        return Outcome::Ready;
    } catch (...) {
        return failed(window);
    }
}

MainWindowActivation::Outcome MainWindowActivation::failed(MainWindowServices& window)
{
    const AppError e = CurrentError();
    if (g_bBackupArchiveMode) {
        ShowErrorDetails(e, QString());
        return Outcome::LeaveArchiveMode;
    }
    if (ui().msgBox(e.description + QStringLiteral("\r\rVuoi cambiare le impostazioni ?"),
                    int(Msg::YesNo) + int(Msg::Exclamation), AppTitle())
        != Msg::Yes) {
        window.ReleaseDatabase();
        return Outcome::Close;
    }
    // The options run outside the activation: closing them activates the window again,
    // which tries the database anew.
    m_activating = false;
    try {
        (void)frmOptions::ShowModal(window.mainWidget(), true);
    } catch (...) {
        // The settings are an offer; the next activation reports what still fails.
    }
    return Outcome::SettingsOffered;
}
