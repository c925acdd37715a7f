#include "MainOperationWindows.h"

#include "core/seams/MainWindowServices.h"
#include "printing/ui/WindowPrintProgress.h"
#include "dialogs/frmMessage.h"

#include <QApplication>
#include <QPointer>
#include <QWidget>

namespace {

QWidget* mainWidget()
{
    MainWindowServices* services = mainWindowServices();
    return services ? services->mainWidget() : nullptr;
}

// The main window disabled, with the hourglass, for as long as this lives.
class MainWindowBusy {
public:
    MainWindowBusy() : m_window(mainWidget())
    {
        if (m_window) m_window->setEnabled(false);
        if (qApp) QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~MainWindowBusy()
    {
        if (qApp) QApplication::restoreOverrideCursor();
        if (m_window) m_window->setEnabled(true);
    }
    MainWindowBusy(const MainWindowBusy&) = delete;
    MainWindowBusy& operator=(const MainWindowBusy&) = delete;

private:
    QPointer<QWidget> m_window;
};

}   // namespace

void MessageWindowProgress::Show(const QString& text)
{
    frmMessage::instance().ShowMsg(text, m_owner, -1, -1);
    m_shown = true;
}

itfProgress* MessageWindowProgress::Target() { return &frmMessage::instance(); }

void MessageWindowProgress::Close()
{
    if (m_shown && frmMessage::isLoaded()) frmMessage::unloadInstance();
    m_shown = false;
}

std::unique_ptr<BackupProgress> MainOperationWindows::BackupWindow()
{
    return std::make_unique<MessageWindowProgress>(mainWidget());
}

std::unique_ptr<PrintProgress> MainOperationWindows::ReceiptWindow() { return MainWindowPrintProgress(); }

std::shared_ptr<void> MainOperationWindows::Busy() { return std::make_shared<MainWindowBusy>(); }

MainOperationWindows& mainOperationWindows()
{
    static MainOperationWindows windows;
    return windows;
}
