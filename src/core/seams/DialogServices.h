#pragma once
// What the rules of the core need of the shared windows above them (src/dialogs): the one
// window that shows what a long operation is doing, the folder chooser, a read-only table
// of rows, the error report window, and closing every window before the program ends. The
// dialogs register their windows at start (InstallDialogServices); a program or tool that
// does not shows nothing, chooses no folder and reports errors on the status line. Like
// MainWindowServices, it keeps the core from including a window's header.
#include <QString>
#include <cstdint>
#include <memory>

class QWidget;
class TableData;
class itfProgress;

class DialogServices {
public:
    virtual ~DialogServices() = default;
    // The progress window, one for the whole program: `message` shown over `owner` (-1
    // leaves top or left, in twips, where they are), loaded when needed.
    virtual void ShowProgress(const QString& message, QWidget* owner, int32_t top, int32_t left) = 0;
    // The progress window as the library's progress target, loaded when needed.
    virtual itfProgress* ProgressTarget() = 0;
    virtual bool ProgressLoaded() const = 0;
    virtual void UnloadProgress() = 0;
    // The folder chosen over `owner`, starting from `folder`.
    virtual QString ChooseFolder(QWidget* owner, const QString& folder) = 0;
    // The rows in a read-only table, shown modally until the operator closes it.
    virtual void ShowRows(TableData& rows, QWidget* owner) = 0;
    // The error report window; false when the dialogs in use show no windows (answers
    // read from a file).
    virtual bool ShowErrorReport(const QString& codeText, const QString& shownText) = 0;
    // Closes every top-level window, the last one first.
    virtual void CloseAllWindows() = 0;
};

// The registered windows, or null when none are.
DialogServices* dialogServices();
void setDialogServices(std::shared_ptr<DialogServices> services);

// The progress window of the registered dialogs; nothing (a null target, never loaded)
// without them.
void ShowProgressWindow(const QString& message, QWidget* owner = nullptr, int32_t top = -1, int32_t left = -1);
itfProgress* ProgressWindowTarget();
bool ProgressWindowLoaded();
void UnloadProgressWindow();
