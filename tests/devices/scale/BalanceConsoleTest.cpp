// The scale's test console against a scale played on a pseudo-terminal.
#include "base/AppError.h"
#include "HeadlessGuard.h"
#include "PtyPair.h"
#include "core/serial/SerialChannel.h"
#include "devices/scale/ui/frmBalanceTest.h"
#include "devices/scale/modOmegaNet.h"
#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <gtest/gtest.h>
#include <thread>

namespace {
class BalanceConsoleOnPty : public ::testing::Test {
protected:
    void SetUp() override
    {
        settings->set(QStringLiteral("Devices"), QStringLiteral("COM4"), pty.devicePath());
        window = std::make_unique<frmBalanceTest>();
        field(QStringLiteral("txtCOM"))->setText(QStringLiteral("4"));
    }
    void TearDown() override { window.reset(); }
    QLineEdit* field(const QString& name) { return window->findChild<QLineEdit*>(name); }
    QPushButton* button(const QString& name) { return window->findChild<QPushButton*>(name); }
    QString log() { return window->findChild<QPlainTextEdit*>(QStringLiteral("txtResult"))->toPlainText(); }
    // Runs the event loop until the console has logged a message (or the time passed),
    // then takes what it wrote back to the scale.
    QByteArray answerWithin(int ms)
    {
        const QString before = log();
        window->Console().Channel().waitUntil([&] { return log() != before; }, ms);
        return pty.receiveUntil(omeganet::ETX, 200);
    }

    testenv::HeadlessGuard headless;
    std::shared_ptr<MemorySettingsStore> settings = headless.settings;
    std::shared_ptr<ScriptedUiServices> ui = headless.ui;
    PtyPair pty;
    std::unique_ptr<frmBalanceTest> window;
};
}   // namespace

TEST_F(BalanceConsoleOnPty, AnswersEachMessageAndLogsItsData)
{
    button(QStringLiteral("cmdOpen"))->click();
    ASSERT_TRUE(ui->log().isEmpty()) << ui->log().join(u'\n').toStdString();
    EXPECT_FALSE(button(QStringLiteral("cmdOpen"))->isEnabled());
    EXPECT_TRUE(button(QStringLiteral("cmdClose"))->isEnabled());

    // A frame that checks, arriving in two pieces: one message after the second of silence.
    const QByteArray frame = NetBuildFrame(QByteArray("ABC"));
    ASSERT_TRUE(pty.send(frame.left(3)));
    std::thread rest([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        pty.send(frame.mid(3));
    });
    const QByteArray answer = answerWithin(3000);
    rest.join();
    EXPECT_EQ(answer, NetBuildFrame(QByteArray(1, BalanceConsole::kValidAnswer)));
    EXPECT_EQ(log(), QStringLiteral("ABC Ok\n"));

    QByteArray corrupted = frame;
    corrupted[5] = char(205);
    ASSERT_TRUE(pty.send(corrupted));
    EXPECT_EQ(answerWithin(3000), NetBuildFrame(QByteArray(1, BalanceConsole::kInvalidAnswer)));
    EXPECT_EQ(log(), QStringLiteral("ABC Ok\n err\n"));

    button(QStringLiteral("cmdClear"))->click();
    EXPECT_EQ(log(), QString());
}

TEST_F(BalanceConsoleOnPty, SendsTheTextFramed)
{
    window->SetBalance(true);
    field(QStringLiteral("txtSend"))->setText(QStringLiteral("ABC"));
    window->findChild<QPushButton*>(QStringLiteral("cmdSend"))->click();
    EXPECT_EQ(pty.receive(8, 2000).toHex(' '),
              QByteArray("\x02"
                         "ABC\x04\xCC\x80\x03")
                  .toHex(' '));

    field(QStringLiteral("txtSend"))->setText(QStringLiteral("10 €"));
    window->Send();
    ASSERT_EQ(ui->prompts().size(), 1);
    EXPECT_TRUE(ui->prompts().first().contains(QStringLiteral("€")));
}

TEST_F(BalanceConsoleOnPty, ClosingIsQuietAndTheConsoleStopsListening)
{
    window->SetBalance(true);
    window->SetBalance(false);
    EXPECT_TRUE(button(QStringLiteral("cmdOpen"))->isEnabled());
    EXPECT_FALSE(button(QStringLiteral("cmdClose"))->isEnabled());
    EXPECT_TRUE(ui->log().isEmpty()) << ui->log().join(u'\n').toStdString();
    ASSERT_TRUE(pty.send(NetBuildFrame(QByteArray("P"))));
    EXPECT_EQ(answerWithin(1500), QByteArray());
    EXPECT_EQ(log(), QString());
}

TEST_F(BalanceConsoleOnPty, APortThatCannotOpenIsReportedAndBothButtonsStayUsable)
{
    struct Case {
        const char* port;
        const char* params;
    };
    settings->set(QStringLiteral("Devices"), QStringLiteral("COM9"), pty.devicePath() + QStringLiteral("-none"));
    for (const Case& c : {Case {"9", "19200,n,8,1"}, Case {"4", "19200,x,8,1"}, Case {"", "19200,n,8,1"}}) {
        SCOPED_TRACE(c.port);
        ui->clearLog();
        field(QStringLiteral("txtCOM"))->setText(QString::fromLatin1(c.port));
        field(QStringLiteral("txtParam"))->setText(QString::fromLatin1(c.params));
        window->SetBalance(true);
        ASSERT_EQ(ui->prompts().size(), 1);
        EXPECT_TRUE(ui->prompts().first().startsWith(
            QStringLiteral("Impostazione porta (COM%1 - %2) controllo bilancia fallita: \r\r")
                .arg(QString::fromLatin1(c.port), QString::fromLatin1(c.params))))
            << ui->prompts().first().toStdString();
        EXPECT_TRUE(button(QStringLiteral("cmdOpen"))->isEnabled());
        EXPECT_TRUE(button(QStringLiteral("cmdClose"))->isEnabled());
        EXPECT_FALSE(window->Console().Listening());
    }
}

TEST_F(BalanceConsoleOnPty, OpensWithTheWindowsLineSettings)
{
    window->findChild<QCheckBox*>(QStringLiteral("chkHandRTS"))->setChecked(true);
    window->findChild<QCheckBox*>(QStringLiteral("chkDTR"))->setChecked(true);
    field(QStringLiteral("txtParam"))->setText(QStringLiteral("9600,e,7,2"));
    window->SetBalance(true);
    SerialChannel& channel = window->Console().Channel();
    EXPECT_TRUE(channel.isOpen());
    EXPECT_EQ(channel.portNumber(), 4);
    EXPECT_EQ(channel.settings(), QStringLiteral("9600,e,7,2"));
    EXPECT_EQ(channel.flowControl(), SerialFlowControl::Hardware);
    EXPECT_TRUE(channel.dtrEnable());
    EXPECT_FALSE(channel.rtsEnable());
}
