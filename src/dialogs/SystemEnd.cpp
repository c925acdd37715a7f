#include "SystemEnd.h"
#include "MirtavoliaApplication.h"
#include "base/UiServices.h"
#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <cerrno>
#include <climits>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

int g_pipe[2] = {-1, -1};

extern "C" void onEndSignal(int signalNumber)
{
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    // Nothing to do when the pipe is full: an end is already on its way.
    (void)!::write(g_pipe[1], &byte, 1);
    errno = saved;
}

// Closes a modal window as its Esc key would; a message box answers as Esc (QtUiServices
// sees the end and gives Esc's answer).
void closeQuietly(QWidget* window)
{
    if (auto* dialog = qobject_cast<QDialog*>(window))
        dialog->reject();
    else
        window->close();
}

// One step of the end, run from the event loop again and again until it has finished.
class Ending final : public QObject {
public:
    explicit Ending(std::function<void()> finish) : m_finish(std::move(finish)) { }

    void step()
    {
        const int level = QThread::currentThread()->loopLevel();
        // A wait that serves events without a loop of its own (a progress window's, a
        // register's) does not raise the level: the handler it runs in is still under way.
        if (level <= 1 && EventDeliveryDepth() <= 1) {
            // The program's own loop: nothing of a window is under way below.
            std::function<void()> finish = std::move(m_finish);
            deleteLater();
            if (finish) finish();
            return;
        }
        QWidget* inner = QApplication::activePopupWidget();
        if (!inner) inner = QApplication::activeModalWidget();
        // A window closed last returns to the one around it before that one closes; one that
        // refuses to close is asked again after a while.
        if (inner && (level < m_closedAtLevel || ++m_waited > kPatience)) {
            m_closedAtLevel = level;
            m_waited = 0;
            closeQuietly(inner);
        }
        QTimer::singleShot(kStepMs, this, [this] { step(); });
    }

private:
    static constexpr int kStepMs = 10;
    static constexpr int kPatience = 200;   // steps: two seconds

    std::function<void()> m_finish;
    int m_closedAtLevel = INT_MAX;
    int m_waited = 0;
};

}   // namespace

SystemEndSignals::SystemEndSignals()
{
    if (::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    auto* notifier = new QSocketNotifier(qintptr(g_pipe[0]), QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this] { readPipe(); });
    struct sigaction action { };
    action.sa_handler = onEndSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGHUP, &action, nullptr);
}

SystemEndSignals& SystemEndSignals::Install()
{
    static SystemEndSignals* installed = new SystemEndSignals();
    return *installed;
}

void SystemEndSignals::readPipe()
{
    unsigned char byte = 0;
    int last = 0;
    while (::read(g_pipe[0], &byte, 1) == 1) last = byte;
    if (last) emit endRequested(last);
}

void EndProgramForSystem(std::function<void()> finish)
{
    // A second signal while the first is being served changes nothing.
    if (systemEnding()) return;
    setSystemEnding(true);
    auto* ending = new Ending(std::move(finish));
    QTimer::singleShot(0, ending, [ending] { ending->step(); });
}
