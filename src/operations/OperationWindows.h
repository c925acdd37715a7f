#pragma once
// What the shop's operations show the operator besides their questions: the progress window
// over the main window and the main window held busy while a receipt goes out. The main
// window installs its windows while it lives; without them nothing is shown, and tools and
// tests hand each operation a progress of their own.
#include <memory>

class BackupProgress;
class PrintProgress;

class OperationWindows {
public:
    virtual ~OperationWindows() = default;
    // The progress window of a save or restore, over the main window.
    virtual std::unique_ptr<BackupProgress> BackupWindow() = 0;
    // The progress window of a receipt while the main window is the active one (the operator
    // printing from it); null otherwise, so a sale confirmed in the sale form shows none.
    virtual std::unique_ptr<PrintProgress> ReceiptWindow() = 0;
    // The main window disabled, with the hourglass, for as long as the returned object lives.
    virtual std::shared_ptr<void> Busy() = 0;
};

// The installed windows, or null when none are.
OperationWindows* operationWindows();
void setOperationWindows(OperationWindows* windows);
