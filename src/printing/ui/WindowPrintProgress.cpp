#include "WindowPrintProgress.h"

#include "core/seams/MainWindowServices.h"
#include "dialogs/frmMessage.h"

#include <QApplication>
#include <QPointer>
#include <QWidget>

namespace {

class WindowProgress final : public PrintProgress {
public:
    explicit WindowProgress(QWidget* owner) : m_owner(owner) { }
    void show(const QString& text) override
    {
        m_window = &frmMessage::instance();
        m_window->ShowMsg(text, m_owner);
    }
    void start(int32_t maximum) override
    {
        if (m_window) m_window->StartProgress(maximum, true);
    }
    // The window goes away when the operator insists on stopping: that is a stop too.
    bool step() override { return m_window && m_window->Progress(0, false); }
    void end() override
    {
        if (m_window) m_window->EndProgress();
    }
    void close() override
    {
        if (m_window) m_window->Unload();
    }

private:
    QWidget* m_owner;
    QPointer<frmMessage> m_window;
};

}   // namespace

std::unique_ptr<PrintProgress> MainWindowPrintProgress()
{
    MainWindowServices* services = mainWindowServices();
    QWidget* main = services ? services->mainWidget() : nullptr;
    if (main && qApp && QApplication::activeWindow() == main) return std::make_unique<WindowProgress>(main);
    return SilentPrintProgress();
}

std::unique_ptr<PrintProgress> WindowPrintProgress(QWidget* owner) { return std::make_unique<WindowProgress>(owner); }
