#pragma once
// The main window's activation: each time the window becomes active while no options dialog
// is open, the database is opened when there is none (a pending maintenance copy offered
// first, a missing file offered for creation) and the operator logs in; a failed opening
// offers the settings. The window calls Activate from its activation event and does what
// the outcome says. Every question goes through UiServices and the window is reached only
// through MainWindowServices, so the flow is tested without a window.
class MainWindowServices;

class MainWindowActivation {
public:
    enum class Outcome {
        Skipped,   // an options dialog is open, or an opening or activation is under way
        Ready,   // database open and operator logged in: the per-activation steps follow
        SettingsOffered,   // the opening failed and the options were shown; the next activation tries again
        LeaveArchiveMode,   // the opening of the backup archive failed (reported): go back to the working database
        Close   // the login was refused, or the settings declined after a failure
    };

    Outcome Activate(MainWindowServices& window);

    // True once a database was opened since the program started; InitDatabase clears it
    // when the maintenance file is missing. The maintenance commands pass the same flag.
    bool& OpenedBefore() { return m_started; }
    bool Activating() const { return m_activating; }
    bool OpeningDatabase() const { return m_openingDatabase; }

private:
    Outcome failed(MainWindowServices& window);

    bool m_started = false;
    bool m_activating = false;
    bool m_openingDatabase = false;
};
