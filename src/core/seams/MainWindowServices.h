#pragma once
// What the lower layers need of the main window. The main window implements this and
// registers itself at start; tests register a fake. Lower layers never include the main
// window's own headers.
#include <QString>

class QWidget;
class TableData;

class MainWindowServices {
public:
    virtual ~MainWindowServices() = default;
    virtual QWidget* mainWidget() = 0;   // may be null (headless)
    virtual bool OptionsActive() const = 0;
    virtual void SetOptionsActive(bool active) = 0;
    virtual void SetStatusMsg(const QString& text) = 0;
    virtual void ReleaseDatabase() = 0;
    virtual void RefreshDetailView() = 0;
    // The caption: the program's title, "BACKUP - " before it in backup-archive mode.
    virtual void SetAppTitle() { }
};

// The registered main window, or null when none is (tools, tests without one).
MainWindowServices* mainWindowServices();
void setMainWindowServices(MainWindowServices* services);
// A status line on the registered main window's bar; nothing when none is registered.
void ShowMainWindowStatus(const QString& text);
