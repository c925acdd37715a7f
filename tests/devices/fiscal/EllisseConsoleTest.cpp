// The ELLISSE test console on a scripted line: the log of a command typed by hand, the two
// table reads, and the frames the register sends on its own.
#include "devices/fiscal/ui/EllisseConsole.h"
#include "RegisterFixture.h"
#include "devices/simulators/ScriptedSerialChannel.h"
#include "devices/fiscal/modEllisse.h"
#include "devices/fiscal/ui/frmEllisseTest.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QPlainTextEdit>

namespace {
constexpr char ACK = 0x06, NAK = 0x15;
const QByteArray kAck(1, ACK);

// A PLU record as the register sends it: "02", the status, then the fields up to the bar code.
QByteArray pluReply(char status, int plu, const char* description, const char* barcode)
{
    return "02" + QByteArray(1, status) + QByteArray::number(plu).rightJustified(5, '0') + "000000150"
        + QByteArray(description).leftJustified(12, ' ') + "01" + QByteArray(barcode).rightJustified(13, '0') + "1";
}

QString lines(const QStringList& l) { return l.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"); }
}

class EllisseConsoleTest : public FiscalTest {
protected:
    void SetUp() override
    {
        FiscalTest::SetUp();
        setSerialChannelFactory([this] {
            auto channel = std::make_unique<ScriptedSerialChannel>();
            line = channel.get();
            return channel;
        });
        console = std::make_unique<EllisseConsole>();
        console->SetDevice(true, {QStringLiteral("1"), QStringLiteral("9600,E,7,1")});
    }
    void TearDown() override
    {
        console.reset();
        setSerialChannelFactory({});
        FiscalTest::TearDown();
    }
    // The register answers the command `text` with `reply`.
    void answer(const QByteArray& text, const QByteArray& reply) { line->expect(EllBuildFrame(text), reply); }
    // The commands the console wrote, as texts.
    QList<QByteArray> written() const
    {
        QList<QByteArray> out;
        for (const QByteArray& w : line->writes()) out << EllParseFrame(w);
        return out;
    }

    ScriptedSerialChannel* line = nullptr;
    std::unique_ptr<EllisseConsole> console;
};

TEST_F(EllisseConsoleTest, ACommandTypedByHandIsLoggedWithItsOutcome)
{
    struct Case {
        const char* name;
        const char* text;
        QList<std::pair<QByteArray, QByteArray>> register_;   // command and answer
        QString log;
    };
    const Case cases[] = {
        {"accepted", "064", {{"064", kAck}}, lines({"064 Ok"})},
        {"refused", "064", {{"064", QByteArray(1, NAK)}}, lines({"064 err"})},
        {"code 70 has no second phase here", "700", {{"700", kAck}}, lines({"700 Ok"})},
        {"from 71 the result is read, acknowledged and closed",
         "710p",
         {{"710p", kAck + EllBuildFrame("710")}, {"000", kAck}},
         lines({"710p Ok", "710 Ric Ok", " NOP Ok"})},
        {"a result that never comes", "720 ", {{"720 ", kAck}}, lines({"720  Ok", " err (Ric)"})},
        {"a close that is refused",
         "740",
         {{"740", kAck + EllBuildFrame("740")}, {"000", QByteArray(1, NAK)}},
         lines({"740 Ok", "740 Ric Ok", " err (NOP)"})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        console->ClearLog();
        for (const auto& [command, reply] : c.register_) answer(command, reply);
        console->Send(QString::fromLatin1(c.text));
        EXPECT_EQ(console->Log(), c.log);
        EXPECT_EQ(line->unmetExpectations(), 0);
    }
    // The result frame of a two-phase record is acknowledged with its code and "0".
    EXPECT_TRUE(line->writes().contains(EllBuildFrame("740")));
}

TEST_F(EllisseConsoleTest, FramesTheRegisterSendsOnItsOwnAreAcknowledgedAndClosed)
{
    struct Case {
        const char* frame;
        QString log;
        QList<QByteArray> written;   // the acknowledgement, and "000" when the exchange is closed
    };
    const Case cases[] = {
        {"120", lines({"120 Ok", " NOP"}), {"120", "000"}},
        {"000", lines({"000 Ok"}), {"000"}},
        {"880", lines({"880 Ok"}), {"880"}},
        {"890", lines({"890 Ok"}), {"890"}},
        {"121", lines({" err"}), {"120"}},   // not carried out: acknowledged all the same
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.frame);
        console->ClearLog();
        line->clearWritten();
        if (c.written.size() > 1) answer("000", kAck);
        line->deliver(EllBuildFrame(c.frame));
        QElapsedTimer t;
        t.start();
        while (line->writes().size() < c.written.size() && t.elapsed() < 2000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QCoreApplication::processEvents();
        EXPECT_EQ(written(), c.written);
        EXPECT_EQ(console->Log(), c.log);
    }
    // Once the port is closed nothing is taken.
    console->SetDevice(false, {});
    EXPECT_FALSE(console->Listening());
}

TEST_F(EllisseConsoleTest, ThePluTableIsReadUpToTheFirstArticleWithoutBarcode)
{
    answer("02000001", EllBuildFrame(pluReply('0', 1, "PANE", "8001234567890")));
    answer("02000002", EllBuildFrame(pluReply('0', 2, "LATTE", "1")));
    answer("02000003", EllBuildFrame(pluReply('0', 3, "", "0")));
    ui->addAnswer(QStringLiteral("5"));
    console->ReadAll_Articoli();
    EXPECT_EQ(written(), (QList<QByteArray> {"02000001", "02000002", "02000003"}));
    QStringList expected = EllisseConsole::PluFields();
    expected << QString() << QStringLiteral("TABELLA DATI PLU:")
             << QString::fromLatin1(pluReply('0', 1, "PANE", "8001234567890").mid(3))
             << QString::fromLatin1(pluReply('0', 2, "LATTE", "1").mid(3));
    EXPECT_EQ(console->Log(), lines(expected));
    EXPECT_EQ(console->ProgressText(), QStringLiteral("3  (FINE)"));
    EXPECT_EQ(ui->prompts(), QStringList {QStringLiteral("NUMERO MASSIMO DI PLU DA LEGGERE")});
}

TEST_F(EllisseConsoleTest, APluReadEndsAtAnErrorOrWhenNoNumberIsGiven)
{
    answer("02000001", EllBuildFrame(pluReply('0', 1, "PANE", "5")));
    answer("02000002", EllBuildFrame(pluReply('2', 2, "", "5")));   // refused
    ui->addAnswer(QStringLiteral("9"));
    console->ReadAll_Articoli();
    EXPECT_TRUE(console->Log().endsWith(QStringLiteral("02000002 Err\r\n")));
    EXPECT_EQ(console->ProgressText(), QStringLiteral("2  (FINE)"));

    // Answered, but not with a record: the reply is logged as an error.
    line->clearWritten();
    answer("02000001", EllBuildFrame(pluReply('2', 1, "", "5")) + EllBuildFrame("020"));
    ui->addAnswer(QStringLiteral("9"));
    console->ReadAll_Articoli();
    EXPECT_EQ(written(), QList<QByteArray> {"02000001"});
    EXPECT_TRUE(console->Log().endsWith(QStringLiteral(" ERR\r\n")));

    for (const char* given : {"tre", "<cancel>"}) {
        SCOPED_TRACE(given);
        line->clearWritten();
        ui->addAnswer(QString::fromLatin1(given));
        console->ReadAll_Articoli();
        EXPECT_TRUE(line->writes().isEmpty());
        EXPECT_TRUE(console->Log().endsWith(QStringLiteral("TABELLA DATI PLU:\r\n")));
    }
}

TEST_F(EllisseConsoleTest, TheDepartmentReadStartsAtTwoAndStopsAtTheFirstRefusal)
{
    answer("02000002", EllBuildFrame("020REPARTO 2"));
    answer("02000003", EllBuildFrame("020REPARTO 3"));
    answer("02000004", EllBuildFrame("021"));
    ui->addAnswer(QStringLiteral("Yes"));
    console->ReadAll_Reparti();
    EXPECT_EQ(written(), (QList<QByteArray> {"02000002", "02000003", "02000004"}));
    QStringList expected = EllisseConsole::DepartmentFields();
    expected << QString() << QStringLiteral("TABELLA DATI REPARTI:") << QStringLiteral("REPARTO 2")
             << QStringLiteral("REPARTO 3") << QStringLiteral("02000004 Err");
    EXPECT_EQ(console->Log(), lines(expected));
    EXPECT_EQ(console->ProgressText(), QStringLiteral("4  (FINE)"));

    line->clearWritten();
    ui->addAnswer(QStringLiteral("No"));
    console->ReadAll_Reparti();
    EXPECT_TRUE(line->writes().isEmpty());
}

TEST_F(FiscalTest, TheConsoleWindowOpensThePortWithItsFieldsAndShowsTheLog)
{
    ScriptedSerialChannel* line = nullptr;
    setSerialChannelFactory([&line] {
        auto channel = std::make_unique<ScriptedSerialChannel>();
        line = channel.get();
        return channel;
    });
    {
        settings().FiscalPrinterParam.Timout = 0;
        frmEllisseTest w;
        EXPECT_EQ(settings().FiscalPrinterParam.Timout, 5000);   // for this session only
        settings().FiscalPrinterParam.Timout = kTimeoutMs;
        w.findChild<QLineEdit*>(QStringLiteral("txtCOM"))->setText(QStringLiteral("3"));
        w.findChild<QPushButton*>(QStringLiteral("cmdOpen"))->click();
        EXPECT_TRUE(line->isOpen());
        EXPECT_EQ(line->portNumber(), 3);
        EXPECT_EQ(line->settings(), QStringLiteral("9600,E,7,1"));
        EXPECT_FALSE(w.findChild<QPushButton*>(QStringLiteral("cmdOpen"))->isEnabled());
        EXPECT_TRUE(w.findChild<QPushButton*>(QStringLiteral("cmdClose"))->isEnabled());

        line->expect(EllBuildFrame("064"), kAck);
        w.findChild<QLineEdit*>(QStringLiteral("txtSend"))->setText(QStringLiteral("064"));
        w.findChild<QPushButton*>(QStringLiteral("cmdSend"))->click();
        EXPECT_EQ(w.findChild<QPlainTextEdit*>(QStringLiteral("txtResult"))->toPlainText(), QStringLiteral("064 Ok\n"));
        w.findChild<QPushButton*>(QStringLiteral("cmdClear"))->click();
        EXPECT_TRUE(w.findChild<QPlainTextEdit*>(QStringLiteral("txtResult"))->toPlainText().isEmpty());

        w.findChild<QPushButton*>(QStringLiteral("cmdClose"))->click();
        EXPECT_FALSE(line->isOpen());
        EXPECT_TRUE(w.findChild<QPushButton*>(QStringLiteral("cmdOpen"))->isEnabled());
    }
    setSerialChannelFactory({});
}

TEST_F(FiscalTest, AHeadlessRunPressesTheConsolesButtonsLineByLine)
{
    ScriptedSerialChannel* line = nullptr;
    setSerialChannelFactory([&line] {
        auto channel = std::make_unique<ScriptedSerialChannel>();
        channel->expect(EllBuildFrame("064"), kAck);
        line = channel.get();
        return channel;
    });
    {
        frmEllisseTest w;
        for (const char* a : {"Apri\ttxtCOM=3\ttxtParam=19200,n,8,1", "invia\ttxtSend=064", "Apri",
                              "OK",   // already open: refused, and the box that says so answered
                              "Chiudi", "Esci"})
            ui->addAnswer(QString::fromLatin1(a));
        EXPECT_FALSE(w.runModal());
        EXPECT_FALSE(ui->hasAnswers());
        ASSERT_NE(line, nullptr);
        EXPECT_EQ(line->portNumber(), 3);
        EXPECT_EQ(line->settings(), QStringLiteral("19200,n,8,1"));
        EXPECT_EQ(line->unmetExpectations(), 0);
        EXPECT_FALSE(line->isOpen());
        EXPECT_EQ(w.Console().Log(), QStringLiteral("064 Ok\r\n"));
        EXPECT_EQ(ui->log().filter(QStringLiteral("MSGBOX: ")),
                  QStringList {QStringLiteral("MSGBOX: Il pulsante \"Apri\" non è attivo.")});
        EXPECT_EQ(
            ui->log().first(),
            QStringLiteral("INPUT: [frmEllisseTest] Apri, Chiudi, Invia, Leggi Articoli, Leggi Reparti, Pulisci"));
    }
    setSerialChannelFactory({});
}
