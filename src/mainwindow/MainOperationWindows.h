#pragma once
// The operations' windows over the registered main window: the core's progress window
// (frmMessage) and the main window disabled with the hourglass.
#include "operations/BackupRestore.h"
#include "operations/OperationWindows.h"

class QWidget;

// The core's progress window over `owner`.
class MessageWindowProgress final : public BackupProgress {
public:
    explicit MessageWindowProgress(QWidget* owner = nullptr) : m_owner(owner) { }
    void Show(const QString& text) override;
    itfProgress* Target() override;
    void Close() override;

private:
    QWidget* m_owner;
    bool m_shown = false;
};

class MainOperationWindows final : public OperationWindows {
public:
    std::unique_ptr<BackupProgress> BackupWindow() override;
    std::unique_ptr<PrintProgress> ReceiptWindow() override;
    std::shared_ptr<void> Busy() override;
};

// The one the main window installs while it lives.
MainOperationWindows& mainOperationWindows();
