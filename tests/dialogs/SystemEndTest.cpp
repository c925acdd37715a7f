// The system ending the program: SIGTERM and SIGHUP reach the event loop as a request, and
// the end closes the modal windows open, innermost first, each once the one inside it has
// returned, asking nothing, before the program's own close runs from its own loop.
#include "widgets/QtUiServices.h"
#include "dialogs/MirtavoliaApplication.h"
#include "dialogs/SystemEnd.h"
#include <QDialog>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <csignal>
#include <gtest/gtest.h>

namespace {

class SystemEnd : public ::testing::Test {
protected:
    void SetUp() override { setUiServices(std::make_shared<QtUiServices>()); }
    void TearDown() override
    {
        setSystemEnding(false);
        setUiServices(nullptr);
    }
};

TEST_F(SystemEnd, TermAndHangUpReachTheEventLoopAndEndNothingByThemselves)
{
    QList<int> requests;
    QObject::connect(&SystemEndSignals::Install(), &SystemEndSignals::endRequested,
                     [&](int signalNumber) { requests << signalNumber; });
    for (const int signalNumber : {SIGTERM, SIGHUP}) {
        ASSERT_EQ(::raise(signalNumber), 0);
        QElapsedTimer t;
        t.start();
        while (!requests.contains(signalNumber) && t.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    EXPECT_EQ(requests, (QList<int> {SIGTERM, SIGHUP}));
}

TEST_F(SystemEnd, ModalWindowsCloseInnermostFirstAndTheCloseRunsFromTheProgramsLoop)
{
    QStringList happened;
    QEventLoop program;
    QDialog window;   // the sale window, say: it gives its document up when it closes
    QObject::connect(&window, &QDialog::rejected, [&] { happened << QStringLiteral("document given up"); });
    QTimer::singleShot(0, [&] {
        QTimer::singleShot(0, [&] {
            // A question over the window when the system ends the program.
            QTimer::singleShot(0, [&] {
                EndProgramForSystem([&] {
                    happened << QStringLiteral("close at level %1").arg(QThread::currentThread()->loopLevel());
                    program.quit();
                });
            });
            const int asked = ui().msgBox(QStringLiteral("Confermi l'annullamento ?"), Msg::YesNo, QString());
            happened << QStringLiteral("question answered %1").arg(Msg::resultName(asked));
            // The window's code still at work, its events served meanwhile (a register's wait).
            QEventLoop work;
            QTimer::singleShot(100, &work, &QEventLoop::quit);
            work.exec();
            // The window's code goes on: what it asks now is answered at once, never shown.
            const int next
                = ui().msgBox(QStringLiteral("Vuoi effettuare una nuova vendita ?"), Msg::OKCancel, QString());
            happened << QStringLiteral("next question answered %1").arg(Msg::resultName(next));
        });
        const int result = window.exec();
        happened << QStringLiteral("window closed %1").arg(result == QDialog::Rejected ? "as Esc" : "accepted");
    });
    program.exec();
    // Nothing of the window's code runs on after its document is gone.
    EXPECT_EQ(happened,
              (QStringList {QStringLiteral("question answered No"), QStringLiteral("next question answered Cancel"),
                            QStringLiteral("document given up"), QStringLiteral("window closed as Esc"),
                            QStringLiteral("close at level 1")}));
    EXPECT_TRUE(systemEnding());
}

// A handler still under way whose wait serves events without a loop of its own (a receipt
// sent on a click, a progress window) is not cut short: the close runs once it has returned.
TEST_F(SystemEnd, TheCloseWaitsForAHandlerServingEventsInItsOwnWait)
{
    QStringList happened;
    QEventLoop program;
    QTimer::singleShot(0, [&] {
        // Two deliveries, as the program's application object counts them: the handler the
        // loop runs, and the close's own step delivered inside its wait.
        (void)DeliverReportingErrors([&] {
            return DeliverReportingErrors([&] {
                EndProgramForSystem([&] {
                    happened << QStringLiteral("close");
                    program.quit();
                });
                QElapsedTimer t;
                t.start();
                while (t.elapsed() < 200) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
                happened << QStringLiteral("receipt sent");
                return true;
            });
        });
    });
    program.exec();
    EXPECT_EQ(happened, (QStringList {QStringLiteral("receipt sent"), QStringLiteral("close")}));
}

}   // namespace
