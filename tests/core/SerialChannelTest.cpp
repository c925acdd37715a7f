#include "base/AppError.h"
#include "PtyPair.h"
#include "devices/simulators/ScriptedSerialChannel.h"
#include "core/serial/SerialChannel.h"
#include "base/SettingsStore.h"
#include "TestEnvironment.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace {

constexpr char XOFF = 0x13;
constexpr char XON = 0x11;

class SerialChannelOnPty : public ::testing::Test {
protected:
    void SetUp() override
    {
        channel = createSystemSerialChannel();
        channel->setDevicePath(pty.devicePath());
    }
    // The device sends XOFF and the line takes it before the port writes.
    void sendXoff()
    {
        ASSERT_TRUE(pty.send(QByteArray(1, XOFF)));
        ASSERT_TRUE(pty.waitOutputHeld(2000));
    }
    void TearDown() override { channel.reset(); }

    PtyPair pty;   // outlives the channel
    std::unique_ptr<SerialChannel> channel;
};

}   // namespace

// ---------------------------------------------------------------------------------------
// Settings text

TEST(SerialLineSettings, ParsesTheClassicSettingsText)
{
    struct Case {
        const char* text;
        int baud;
        SerialParity parity;
        int dataBits;
        SerialStopBits stop;
    };
    const Case cases[] = {
        {"9600,n,8,1", 9600, SerialParity::None, 8, SerialStopBits::One},
        {"9600,e,7,2", 9600, SerialParity::Even, 7, SerialStopBits::Two},
        {"19200,O,8,1", 19200, SerialParity::Odd, 8, SerialStopBits::One},
        {"1200,m,7,1", 1200, SerialParity::Mark, 7, SerialStopBits::One},
        {"2400,s,5,1.5", 2400, SerialParity::Space, 5, SerialStopBits::OneAndHalf},
        {" 4800 , n , 6 , 1 ", 4800, SerialParity::None, 6, SerialStopBits::One},
        {"14400,n,8,1", 14400, SerialParity::None, 8, SerialStopBits::One},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const SerialLineSettings s = SerialLineSettings::parse(QString::fromLatin1(c.text));
        EXPECT_EQ(s.baudRate, c.baud);
        EXPECT_EQ(s.parity, c.parity);
        EXPECT_EQ(s.dataBits, c.dataBits);
        EXPECT_EQ(s.stopBits, c.stop);
    }
}

TEST(SerialLineSettings, RefusesMalformedText)
{
    const char* cases[] = {
        "",           "9600",        "9600,n,8",   "9600,n,8,1,1", "fast,n,8,1",
        "0,n,8,1",    "-9600,n,8,1", "9600,x,8,1", "9600,,8,1",    "9600,n,9,1",
        "9600,n,4,1", "9600,n,8,3",  "9600,n,8,0", "9600;n;8;1",   "9600,none,8,1",
    };
    for (const char* text : cases) {
        SCOPED_TRACE(text);
        try {
            (void)SerialLineSettings::parse(QString::fromLatin1(text));
            ADD_FAILURE() << "accepted";
        } catch (const AppError& e) {
            EXPECT_EQ(e.number, SerialChannel::kInvalidSettings);
            EXPECT_TRUE(e.description.contains(QString::fromLatin1(text))) << e.what();
        }
    }
}

TEST(SerialLineSettings, WritesTheCanonicalText)
{
    for (const char* text : {"9600,n,8,1", "9600,e,7,2", "2400,s,5,1.5", "115200,o,8,1"})
        EXPECT_EQ(SerialLineSettings::parse(QString::fromLatin1(text)).text(), QString::fromLatin1(text));
}

TEST(SerialChannel, RefusedSettingsKeepThePreviousOnes)
{
    ScriptedSerialChannel c;
    c.setSettings(QStringLiteral("19200,e,7,2"));
    EXPECT_THROW(c.setSettings(QStringLiteral("19200,e,7")), AppError);
    EXPECT_EQ(c.settings(), QStringLiteral("19200,e,7,2"));
    EXPECT_EQ(c.lineSettings().dataBits, 7);
}

// ---------------------------------------------------------------------------------------
// Port numbers

TEST(SerialChannel, PortNumberMapsThroughTheDevicesSettings)
{
    auto store = std::make_shared<MemorySettingsStore>();
    setSettingsStore(store);
    store->set(QStringLiteral("Devices"), QStringLiteral("COM2"), QStringLiteral("/dev/ttyUSB0"));

    EXPECT_EQ(serialDevicePath(1), QStringLiteral("/dev/ttyS0"));
    EXPECT_EQ(serialDevicePath(2), QStringLiteral("/dev/ttyUSB0"));
    EXPECT_EQ(serialDevicePath(8), QStringLiteral("/dev/ttyS7"));

    ScriptedSerialChannel c;
    c.setPortNumber(2);
    EXPECT_EQ(c.portName(), QStringLiteral("COM2"));
    EXPECT_EQ(c.devicePath(), QStringLiteral("/dev/ttyUSB0"));
    c.setDevicePath(QStringLiteral("/dev/pts/9"));
    EXPECT_EQ(c.portNumber(), 0);
    EXPECT_EQ(c.portName(), QStringLiteral("/dev/pts/9"));

    try {
        c.setPortNumber(0);
        ADD_FAILURE() << "port 0 accepted";
    } catch (const AppError& e) {
        EXPECT_EQ(e.number, SerialChannel::kPortNotFound);
    }
    setSettingsStore(nullptr);
}

TEST_F(SerialChannelOnPty, OpensByPortNumberThroughTheSetting)
{
    auto store = std::make_shared<MemorySettingsStore>();
    setSettingsStore(store);
    store->set(QStringLiteral("devices"), QStringLiteral("com3"), pty.devicePath());
    channel->setPortNumber(3);
    channel->open();
    channel->write("hello");
    EXPECT_EQ(pty.receive(5, 2000), QByteArray("hello"));
    setSettingsStore(nullptr);
}

// ---------------------------------------------------------------------------------------
// Opening

TEST_F(SerialChannelOnPty, MissingDeviceIsAnErrorNamingThePort)
{
    auto store = std::make_shared<MemorySettingsStore>();
    setSettingsStore(store);
    // A name of this run's own: a serial port's lock is named after the path, system-wide.
    const QString missing = testenv::newDir(QStringLiteral("ports")) + QStringLiteral("/no-such-port");
    store->set(QStringLiteral("Devices"), QStringLiteral("COM4"), missing);
    channel->setPortNumber(4);
    try {
        channel->open();
        ADD_FAILURE() << "opened a missing device";
    } catch (const AppError& e) {
        EXPECT_EQ(e.number, SerialChannel::kPortNotFound);
        EXPECT_EQ(e.source, SerialChannel::kErrorSource);
        EXPECT_TRUE(e.description.contains(QStringLiteral("COM4"))) << e.what();
        EXPECT_TRUE(e.description.contains(missing)) << e.what();
    }
    EXPECT_FALSE(channel->isOpen());
    setSettingsStore(nullptr);
}

TEST_F(SerialChannelOnPty, ModemLinesThePseudoTerminalLacksDoNotFailTheOpen)
{
    channel->setDtrEnable(true);
    channel->setRtsEnable(true);
    ASSERT_NO_THROW(channel->open());
    EXPECT_TRUE(channel->isOpen());
    // And the line works afterwards both ways.
    channel->write("ok");
    EXPECT_EQ(pty.receive(2, 2000), QByteArray("ok"));
    ASSERT_TRUE(pty.send("yes"));
    ASSERT_TRUE(channel->waitForBytes(3, 2000));
    EXPECT_EQ(channel->readAll(), QByteArray("yes"));
}

TEST_F(SerialChannelOnPty, OperationsOnAClosedPortAreErrors)
{
    EXPECT_FALSE(channel->isOpen());
    for (const auto& op : std::initializer_list<std::function<void()>> {
             [&] { channel->write("x"); }, [&] { (void)channel->readAll(); }, [&] { (void)channel->bytesAvailable(); },
             [&] { channel->clearInput(); }}) {
        try {
            op();
            ADD_FAILURE() << "no error on a closed port";
        } catch (const AppError& e) {
            EXPECT_EQ(e.number, SerialChannel::kPortClosed);
        }
    }
    channel->open();
    EXPECT_THROW(channel->open(), AppError);
    EXPECT_THROW(channel->setDevicePath(QStringLiteral("/dev/null")), AppError);
    channel->close();
    channel->close();   // closing twice is harmless
    EXPECT_FALSE(channel->isOpen());
}

TEST_F(SerialChannelOnPty, ReopensAfterClose)
{
    channel->open();
    channel->close();
    ASSERT_TRUE(pty.send("kept"));   // arrives while the port is closed
    channel->open();
    ASSERT_TRUE(channel->waitForBytes(4, 2000));
    EXPECT_EQ(channel->readAll(), QByteArray("kept"));
}

// ---------------------------------------------------------------------------------------
// Receiving

TEST_F(SerialChannelOnPty, NotifiesArrivalsFromTheEventLoop)
{
    channel->open();
    QByteArray seen;
    int notifications = 0;
    QObject::connect(channel.get(), &SerialChannel::received, [&] {
        ++notifications;
        seen += channel->readAll();
    });
    ASSERT_TRUE(pty.send("ab"));
    ASSERT_TRUE(channel->waitUntil([&] { return seen.size() >= 2; }, 2000));
    ASSERT_TRUE(pty.send("cd"));
    ASSERT_TRUE(channel->waitUntil([&] { return seen.size() >= 4; }, 2000));
    EXPECT_EQ(seen, QByteArray("abcd"));
    EXPECT_GE(notifications, 2);
}

TEST_F(SerialChannelOnPty, CountsBytesArrivedEvenWithoutRunningTheEventLoop)
{
    channel->open();
    ASSERT_TRUE(pty.send("xyz"));
    // No event loop: the count must come from the device, not from an event not yet handled.
    ASSERT_TRUE(pty.waitUnfetched(3, 2000));
    EXPECT_EQ(channel->bytesAvailable(), 3);
    EXPECT_EQ(channel->readAll(), QByteArray("xyz"));
}

TEST_F(SerialChannelOnPty, WaitTimesOutWithoutBytesAndKeepsTheEventLoopRunning)
{
    channel->open();
    bool timerRan = false;
    QTimer::singleShot(10, [&] { timerRan = true; });
    EXPECT_FALSE(channel->waitForBytes(1, 150));
    EXPECT_TRUE(timerRan);
}

TEST_F(SerialChannelOnPty, ClearInputDropsEverythingReceived)
{
    channel->open();
    ASSERT_TRUE(pty.send("stale"));
    ASSERT_TRUE(channel->waitForBytes(5, 2000));
    ASSERT_TRUE(pty.send("more"));
    ASSERT_TRUE(pty.waitUnfetched(4, 2000));   // "more" sits in the system's buffer, not yet fetched
    channel->clearInput();
    EXPECT_EQ(channel->bytesAvailable(), 0);
    ASSERT_TRUE(pty.send("new"));
    ASSERT_TRUE(channel->waitForBytes(3, 2000));
    EXPECT_EQ(channel->readAll(), QByteArray("new"));
}

TEST(SerialChannel, LostDeviceClosesThePortWithAReason)
{
    auto* other = new PtyPair;   // a device that goes away
    auto lost = createSystemSerialChannel();
    lost->setDevicePath(other->devicePath());
    lost->open();
    delete other;
    // The wait notices at once instead of running out its time, and so does every later use.
    for (const auto& op : std::initializer_list<std::function<void()>> {[&] { (void)lost->waitForBytes(1, 5000); },
                                                                        [&] { lost->write("x"); }}) {
        try {
            op();
            ADD_FAILURE() << "no error on a lost device";
        } catch (const AppError& e) {
            EXPECT_EQ(e.number, SerialChannel::kPortClosed);
            EXPECT_TRUE(e.description.contains(QStringLiteral("non è più disponibile"))) << e.what();
        }
    }
    EXPECT_FALSE(lost->isOpen());
}

// An idle port whose line hangs up (the adapter pulled, the pseudo-terminal's other side
// closed) reads an end of file that is ready again at once: left open, it would be woken for
// it without end. It is closed, and its holder told, by the event loop alone.
TEST_F(SerialChannelOnPty, AHungUpLineIsClosedAndToldWithoutAnyUse)
{
    channel->open();
    QStringList told;
    QObject::connect(channel.get(), &SerialChannel::lost, [&](const QString& why) { told << why; });
    ASSERT_TRUE(pty.send("ok"));
    ASSERT_TRUE(channel->waitForBytes(2, 2000));
    EXPECT_EQ(channel->readAll(), QByteArray("ok"));

    pty.hangUp();
    QElapsedTimer t;
    t.start();
    while (told.isEmpty() && t.elapsed() < 5000) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_FALSE(channel->isOpen());
    EXPECT_EQ(told,
              QStringList {QStringLiteral("La porta %1 non è più disponibile (linea interrotta): è stata chiusa")
                               .arg(pty.devicePath())});
    try {
        channel->write("x");
        ADD_FAILURE() << "a write on a hung-up line";
    } catch (const AppError& e) {
        EXPECT_EQ(e.number, SerialChannel::kPortClosed);
    }
    // Told once: nothing more comes from a closed port.
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_EQ(told.size(), 1);
}

// ---------------------------------------------------------------------------------------
// Flow control

TEST_F(SerialChannelOnPty, XoffHoldsOutputUntilXon)
{
    channel->setFlowControl(SerialFlowControl::XonXoff);
    channel->open();
    sendXoff();

    channel->write("ABC");
    EXPECT_FALSE(channel->waitForWritten(200));
    EXPECT_EQ(channel->bytesToWrite(), 3);
    EXPECT_EQ(pty.receiveFor(200), QByteArray());

    ASSERT_TRUE(pty.send(QByteArray(1, XON)));
    EXPECT_TRUE(channel->waitForWritten(2000));
    EXPECT_EQ(pty.receive(3, 2000), QByteArray("ABC"));
    // The handshake characters are the line's, not data.
    EXPECT_EQ(channel->bytesAvailable(), 0);
}

TEST_F(SerialChannelOnPty, WithoutFlowControlXoffIsJustData)
{
    channel->setFlowControl(SerialFlowControl::None);
    channel->open();
    ASSERT_TRUE(pty.send(QByteArray(1, XOFF)));
    ASSERT_TRUE(channel->waitForBytes(1, 2000));
    channel->write("ABC");
    EXPECT_TRUE(channel->waitForWritten(2000));
    EXPECT_EQ(pty.receive(3, 2000), QByteArray("ABC"));
    EXPECT_EQ(channel->readAll(), QByteArray(1, XOFF));
}

TEST_F(SerialChannelOnPty, FlowControlChangedWhileOpenTakesEffect)
{
    channel->open();
    channel->setFlowControl(SerialFlowControl::XonXoff);
    sendXoff();
    channel->write("Z");
    EXPECT_EQ(pty.receiveFor(200), QByteArray());
    ASSERT_TRUE(pty.send(QByteArray(1, XON)));
    EXPECT_EQ(pty.receive(1, 2000), QByteArray("Z"));
}

// ---------------------------------------------------------------------------------------
// A device answering in the background while the program waits

TEST_F(SerialChannelOnPty, WaitsForADeviceThatAnswers)
{
    pty.serve([](QByteArray& pending) {
        const qsizetype end = pending.indexOf('\x03');
        if (end < 0) return QByteArray();
        pending.remove(0, end + 1);
        return QByteArray("\x06");
    });
    channel->open();
    channel->write("\x02"
                   "t!1"
                   "\x03");
    ASSERT_TRUE(channel->waitForBytes(1, 2000));
    EXPECT_EQ(channel->readAll(), QByteArray("\x06"));
    pty.stopServing();
    EXPECT_EQ(pty.servedBytes(),
              QByteArray("\x02"
                         "t!1"
                         "\x03"));
}

// ---------------------------------------------------------------------------------------
// The scripted fake behaves like a device on the event loop

TEST(ScriptedSerialChannel, AnswersExpectedRequestsThroughTheEventLoop)
{
    ScriptedSerialChannel c;
    c.expect("PING", "PONG");
    c.open();
    int notifications = 0;
    QObject::connect(&c, &SerialChannel::received, [&] { ++notifications; });
    c.write("noise");
    c.write("PING");
    EXPECT_EQ(c.bytesAvailable(), 0);   // the answer comes from the event loop
    ASSERT_TRUE(c.waitForBytes(4, 1000));
    EXPECT_EQ(c.readAll(), QByteArray("PONG"));
    EXPECT_EQ(notifications, 1);
    EXPECT_EQ(c.unmetExpectations(), 0);
    EXPECT_EQ(c.writes(), (QList<QByteArray> {"noise", "PING"}));
}

TEST(ScriptedSerialChannel, HeldOutputAndFailedOpen)
{
    ScriptedSerialChannel c;
    c.failNextOpen(SerialChannel::kPortNotFound, QStringLiteral("gone"));
    EXPECT_THROW(c.open(), AppError);
    c.open();
    c.setOutputHeld(true);
    c.write("ABC");
    EXPECT_FALSE(c.waitForWritten(50));
    EXPECT_EQ(c.written(), QByteArray());
    c.setOutputHeld(false);
    EXPECT_TRUE(c.waitForWritten(50));
    EXPECT_EQ(c.written(), QByteArray("ABC"));
}
