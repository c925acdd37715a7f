#pragma once
// The main window's activation and end, apart from its widgets.
//
// Activation (every time the window becomes active while no options dialog is open): the
// core opens the database when there is none and lets the operator in; right after such an
// opening the tree is built and the first view shown. Then, every time, the counter devices
// go to their saved state, the menus follow the configuration, a save is offered when one
// is due, and the reminder window is loaded hidden so that its timer runs. An activation
// that one of these steps causes (a question closing over the window) does nothing.
//
// End: the close box only hides the window behind its notification-area icon (minimises it
// where there is no notification area); the program's close commands store the grid's
// changed layout, unload every other window, offer the save on exit when it is configured and due, and unload the main window:
// "Chiusura di ...", the placement stored, the register's driver dropped, the icon removed,
// the database released.
#include "DeviceActivation.h"
#include "dialogs/MainWindowActivation.h"
#include "operations/SaveReminder.h"
#include <QString>
#include <functional>
#include <optional>

class GridLayout;
class MainWindowServices;
class QWidget;

// Which menu entries the configuration leaves usable, set at each activation.
struct ActivationMenuStates {
    bool receiptReprint = false;   // shown and enabled only with receipts in use
    bool backup = false;   // "Salva dati...": a backup folder, saving allowed, not in the backup archive
    bool restore = false;   // "Ripristina dati...", likewise with restoring allowed
    bool backupRestore = false;   // the save/restore menu: not in maintenance mode
    bool operation = false;   // the operations menu: not in the backup archive
    bool toolsOptions = false;   // the options menu: not in the backup archive
    bool operator==(const ActivationMenuStates&) const = default;

    static ActivationMenuStates FromConfiguration();
};

// What the lifecycle needs of the window. frmMain serves it; tests use a fake.
class MainWindowShell {
public:
    virtual ~MainWindowShell() = default;
    virtual MainWindowServices& Services() = 0;
    virtual QWidget* Widget() = 0;

    // Right after the database was opened and the operator logged in.
    virtual void SetTreeViewNodes() = 0;
    virtual void ShowFirstView() = 0;
    // "Importi in " + the conversion currency's name, or nothing when the database has none.
    virtual void SetCurrencyMenu(const std::optional<QString>& caption, bool checked) = 0;

    // At every activation.
    virtual DeviceActivation::Devices DeviceSwitchFunctions() = 0;
    virtual void SetDeviceControls(const DeviceActivation::Controls& controls) = 0;
    virtual void SetMenuStates(const ActivationMenuStates& states) = 0;
    virtual void RunSaveCommand() = 0;   // "Salva dati..."
    virtual void LoadReminderWindow() = 0;

    // Failures and the end of the program.
    virtual void LeaveArchiveMode() = 0;   // "Gestisci Archivio di Backup..." while in the archive
    virtual void Unload() = 0;   // the program's own close: the program ends

    // Closing.
    virtual bool ReceiptOpen() const = 0;   // a receipt is being sent to the register
    // The layout of the detail area's grid (field sequence, widths); null when it has none.
    virtual GridLayout* ViewLayout() = 0;
    virtual void HideToNotificationArea() = 0;
    // Unloads every other window, the last loaded first. False when one refuses, with why.
    virtual bool UnloadOtherWindows(QString* why) = 0;
    virtual void StorePlacement() = 0;
    virtual void StopNotificationIcon() = 0;
};

class MainWindowLifecycle {
public:
    enum class CloseCause {
        CloseBox,   // the window's own close box
        Program,   // the program's close commands ("Chiudi", "Esci", the icon's menu, a refused login)
        System   // the desktop session ends
    };

    using ExitSave = std::function<void(const SaveReminder::ExitSave&)>;
    // exitSave: the save on exit (by default the copy of the period to the backup database).
    explicit MainWindowLifecycle(MainWindowShell& shell, ExitSave exitSave = {});

    void Activate();
    // Whether the window may unload now. The close box hides it and answers false; a window
    // that refuses to close, or a receipt being sent, keeps the program open.
    bool QueryUnload(CloseCause cause);
    // The unload itself; each step runs even when one before it failed.
    void Unload();

    MainWindowActivation& Activation() { return m_activation; }
    DeviceActivation& Devices() { return m_devices; }
    bool Activating() const { return m_running; }

    static QString ClosingMessage();   // "Chiusura di Mirtavolia ..."

private:
    void everyActivation();
    void afterOpening();
    void failed();

    MainWindowShell& m_shell;
    ExitSave m_exitSave;
    MainWindowActivation m_activation;
    DeviceActivation m_devices;
    bool m_running = false;
};
