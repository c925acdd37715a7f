#pragma once
// What the receipt job shows while it runs, and where the operator's Stop comes from.
#include <QString>
#include <cstdint>
#include <memory>

class QWidget;

class PrintProgress {
public:
    virtual ~PrintProgress() = default;
    virtual void show(const QString& text) = 0;
    virtual void start(int32_t maximum) = 0;
    // One step done; false once the operator has confirmed Stop.
    [[nodiscard]] virtual bool step() = 0;
    virtual void end() = 0;
    virtual void close() = 0;
};

// The progress window over the main window while the main window is the active one (the
// operator printing from it); otherwise nothing is shown and the job is never stopped.
std::unique_ptr<PrintProgress> MainWindowPrintProgress();
// The progress window over `owner`, whichever window is active.
std::unique_ptr<PrintProgress> WindowPrintProgress(QWidget* owner);
// Nothing shown, never stopped: a job nobody watches.
std::unique_ptr<PrintProgress> SilentPrintProgress();
