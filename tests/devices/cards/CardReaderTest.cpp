// The card reader drivers against the simulated reader on a pseudo-terminal, byte for byte.
#include "base/AppError.h"
#include "devices/simulators/CardReaderSimulator.h"
#include "core/configuration/DeviceSettings.h"
#include "HeadlessGuard.h"
#include "PtyPair.h"
#include "core/serial/SerialChannel.h"
#include "devices/cards/clsMSR106.h"
#include "devices/cards/clsMSR206HL.h"
#include "devices/cards/clsMagneticCardEvents.h"
#include "devices/cards/modMagneticDev.h"
#include <QElapsedTimer>
#include <gtest/gtest.h>
#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

namespace {
using Model = CardReaderSimulator::Model;
const QByteArray ESC(1, 27);
const QByteArray FS(1, 28);

struct Completion {
    QString kind;
    bool success = false;
    QString data1, data2, status;
};

class CardReaderOnPty : public ::testing::Test {
protected:
    void SetUp() override
    {
        settings->set(QStringLiteral("Devices"), QStringLiteral("COM3"), pty.devicePath());
        ::settings().MagneticDevParam = MagneticDevSettings {};
        ::settings().MagneticDevParam.COMPortNumber = 3;
        QObject::connect(&events, &clsMagneticCardEvents::OnReadComplete,
                         [this](bool ok, const QString& d1, const QString& d2, const QString& st) {
                             completions.push_back({QStringLiteral("read"), ok, d1, d2, st});
                         });
        QObject::connect(&events, &clsMagneticCardEvents::OnWriteComplete, [this](bool ok, const QString& st) {
            completions.push_back({QStringLiteral("write"), ok, {}, {}, st});
        });
    }
    void TearDown() override
    {
        InitMagneticDevice(true);
        pty.stopServing();
    }

    // Puts a reader of `model` on the line, holding a blank card.
    CardReaderSimulator& play(Model model)
    {
        pty.stopServing();
        sim = std::make_unique<CardReaderSimulator>(model);
        pty.serve([s = sim.get()](QByteArray& pending) { return s->answer(pending); });
        return *sim;
    }
    // The driver of reader type `type`, its session started.
    itfMagneticCard& open(int32_t type)
    {
        ::settings().MagneticDevParam.Type = type;
        EXPECT_TRUE(InitMagneticDevice(false));
        itfMagneticCard& driver = objMagneticDevice();
        driver.NewSession(&events);
        return driver;
    }
    // Lets the event loop run until a completion arrives (or 3 s pass).
    bool waitForCompletion()
    {
        auto& channel = dynamic_cast<EscapeCardDriver&>(objMagneticDevice()).Channel();
        return channel.waitUntil([this] { return !completions.empty(); }, 3000);
    }
    // The device error a call raises, as the user would read it.
    template <class F> AppError errorOf(F call)
    {
        try {
            call();
        } catch (const AppError& e) {
            return e;
        }
        ADD_FAILURE() << "no error";
        return AppError(0, {}, {});
    }

    testenv::HeadlessGuard headless;
    std::shared_ptr<MemorySettingsStore> settings = headless.settings;
    std::shared_ptr<ScriptedUiServices> ui = headless.ui;
    PtyPair pty;
    std::unique_ptr<CardReaderSimulator> sim;
    clsMagneticCardEvents events;
    std::vector<Completion> completions;
};
}   // namespace

TEST_F(CardReaderOnPty, WriteThenReadGivesTheCodeBackOnEveryModelAndMode)
{
    struct Case {
        const char* what;
        int32_t type;
        Model reader;
        bool reverse;
        QString data1, data2;
        QString onCard;
    };
    const QString code = QStringLiteral("12345678");
    const Case cases[] = {
        {"MSR106, text mode", MagneticDevType::MSR106, Model::MSR106, false, code, {}, code},
        {"MSR106, text mode, reversed",
         MagneticDevType::MSR106,
         Model::MSR106,
         true,
         code,
         {},
         QStringLiteral("87654321")},
        {"MSR106, two texts", MagneticDevType::MSR106, Model::MSR106, false, QStringLiteral("12"), QStringLiteral("AB"),
         QStringLiteral("12 AB")},
        {"MSR206HL high coercivity, raw mode", MagneticDevType::MSR206HLHigh, Model::MSR206HL, false, code, {}, code},
        {"MSR206HL low coercivity, raw mode, reversed",
         MagneticDevType::MSR206HLLow,
         Model::MSR206HL,
         true,
         code,
         {},
         QStringLiteral("87654321")},
        {"MSR206HL, two texts", MagneticDevType::MSR206HLHigh, Model::MSR206HL, false, QStringLiteral("12"),
         QStringLiteral("AB"), QStringLiteral("12 AB")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CardReaderSimulator& reader = play(c.reader);
        itfMagneticCard& driver = open(c.type);
        driver.WriteData(c.data1, c.data2, c.reverse, true);
        EXPECT_EQ(reader.track1Text().value_or(QStringLiteral("<unreadable>")), c.onCard);
        QString data1 = QStringLiteral("old"), data2 = QStringLiteral("old");
        driver.ReadData(true, c.reverse, data1, data2);
        EXPECT_EQ(data1, c.data1);
        EXPECT_EQ(data2, c.data2);
        if (c.reader == Model::MSR206HL) {
            EXPECT_EQ(reader.lowCoercivity(), c.type == MagneticDevType::MSR206HLLow);
            EXPECT_EQ(reader.bitsPerCharacter(), QByteArray("\x08\x08\x08"));
        }
        EXPECT_TRUE(completions.empty());   // waited calls raise no events
        InitMagneticDevice(true);
    }
}

TEST_F(CardReaderOnPty, ACardWrittenRawReadsAsTextAndTheOtherWayRound)
{
    CardReaderSimulator& reader = play(Model::MSR206HL);
    open(MagneticDevType::MSR206HLHigh).WriteData(QStringLiteral("12345678"), {}, false, true);
    QString data1, data2;
    open(MagneticDevType::MSR106).ReadData(true, false, data1, data2);
    EXPECT_EQ(data1, QStringLiteral("12345678"));

    reader.insertBlankCard();
    open(MagneticDevType::MSR106).WriteData(QStringLiteral("24681357"), {}, false, true);
    open(MagneticDevType::MSR206HLHigh).ReadData(true, false, data1, data2);
    EXPECT_EQ(data1, QStringLiteral("24681357"));
}

TEST_F(CardReaderOnPty, ABackgroundWriteSendsTheWholeBlockAndReportsByEvent)
{
    CardReaderSimulator& reader = play(Model::MSR106);
    itfMagneticCard& driver = open(MagneticDevType::MSR106);
    // Not waiting: even a reader that never answers lets the call return without an error.
    reader.setMute(true);
    QElapsedTimer t;
    t.start();
    EXPECT_NO_THROW(driver.WriteData(QStringLiteral("12345678"), {}, true, false));
    EXPECT_LT(t.elapsed(), EscapeCardDriver::kReplyTimeoutMs);
    reader.setMute(false);
    driver.WriteData(QStringLiteral("12345678"), {}, true, false);
    EXPECT_TRUE(completions.empty());   // the reply is taken from the event loop, later
    ASSERT_TRUE(waitForCompletion());
    ASSERT_EQ(completions.size(), 1u);
    EXPECT_EQ(completions[0].kind, QStringLiteral("write"));
    EXPECT_TRUE(completions[0].success);
    EXPECT_EQ(completions[0].status, QStringLiteral("0"));
    const QList<QByteArray> commands = reader.commands();
    ASSERT_EQ(commands.size(), 3);
    EXPECT_EQ(commands[0], ESC + "a");
    EXPECT_EQ(commands[1], commands[2]);
    EXPECT_EQ(commands[2],
              ESC + "w" + ESC + "s" + ESC + "\x01" + "87654321" + ESC + "\x02" + "1" + ESC + "\x03" + "1?" + FS);
}

TEST_F(CardReaderOnPty, TheRawWriteBlockCarriesTheLengthOfThePackedTrack)
{
    CardReaderSimulator& reader = play(Model::MSR206HL);
    open(MagneticDevType::MSR206HLHigh).WriteData(QStringLiteral("1"), {}, false, true);
    const QList<QByteArray> commands = reader.commands();
    ASSERT_EQ(commands.size(), 4);
    EXPECT_EQ(commands[0], ESC + "a");
    EXPECT_EQ(commands[1], ESC + "x");
    EXPECT_EQ(commands[2], ESC + "o\x08\x08\x08");
    EXPECT_EQ(commands[3],
              ESC + "n" + ESC + "s" + ESC + "\x01" + "\x04" + QByteArray::fromHex("C5E86701") + ESC + "\x02"
                  + QByteArray(1, '\0') + ESC + "\x03" + QByteArray(1, '\0') + "?" + FS);
}

TEST_F(CardReaderOnPty, AFailedStatusIsAcknowledgedAndRaisedOrReported)
{
    struct Case {
        const char* what;
        int32_t type;
        Model reader;
    };
    for (const Case& c : {Case {"MSR106", MagneticDevType::MSR106, Model::MSR106},
                          Case {"MSR206HL", MagneticDevType::MSR206HLHigh, Model::MSR206HL}}) {
        SCOPED_TRACE(c.what);
        CardReaderSimulator& reader = play(c.reader);
        reader.writeTrack1Text(QStringLiteral("12345678"));
        itfMagneticCard& driver = open(c.type);

        reader.failNextOperations(1, '1');
        QString data1, data2;
        const AppError read = errorOf([&] { driver.ReadData(true, false, data1, data2); });
        EXPECT_EQ(read.number, AppError::kObjectErrorBase + 1);
        EXPECT_EQ(read.source, driver.ModelDescription());
        EXPECT_EQ(read.description, QStringLiteral("Codice: 1\r\rLettura non riuscita, codice 1"));
        EXPECT_EQ(reader.commands().last(), ESC + ESC + "\x85");

        reader.failNextOperations(1, '9');
        const AppError write = errorOf([&] { driver.WriteData(QStringLiteral("1"), {}, false, true); });
        EXPECT_EQ(write.number, AppError::kObjectErrorBase + 2);
        EXPECT_EQ(write.description, QStringLiteral("Codice: 2\r\rScrittura non riuscita, codice 9"));

        reader.failNextOperations(1, '1');
        completions.clear();
        driver.ReadData(false, false, data1, data2);
        ASSERT_TRUE(waitForCompletion());
        EXPECT_FALSE(completions[0].success);
        EXPECT_EQ(completions[0].status, QStringLiteral("1"));
        EXPECT_EQ(reader.track1Text(), QStringLiteral("12345678"));   // the card was left alone
        InitMagneticDevice(true);
    }
}

// A raw read gives the characters the track's code bits hold: parity and LRC are not
// looked at, and a track that lost its end sentinel goes through the recovery rules. The
// reader's own status decides whether the read succeeded.
TEST_F(CardReaderOnPty, ARawReadTakesTheTrackAsItComes)
{
    struct Case {
        const char* what;
        int32_t type;
        const char* onCard;
        QList<int> flips;   // bits 14 to 20 hold the second character with its parity
        int keptBits;   // 0: the whole track
        bool success;
        QString status, data1;
    };
    const Case cases[] = {
        {"raw read, a digit and its parity",
         MagneticDevType::MSR206HLHigh,
         "12345678",
         {14, 20},
         0,
         true,
         "0",
         "13345678"},
        {"raw read, no end sentinel", MagneticDevType::MSR206HLHigh, "12345678901", {}, 7 * 12, true, "0", "12345671"},
        {"text read: the reader itself refuses", MagneticDevType::MSR106, "12345678", {14, 20}, 0, false, "1", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CardReaderSimulator& reader = play(Model::MSR206HL);
        ASSERT_TRUE(reader.writeTrack1Text(QString::fromLatin1(c.onCard)));
        for (int bit : c.flips) reader.flipTrack1Bit(bit);
        if (c.keptBits > 0) reader.truncateTrack1(c.keptBits);
        itfMagneticCard& driver = open(c.type);

        QString data1, data2;
        completions.clear();
        driver.ReadData(false, false, data1, data2);
        ASSERT_TRUE(waitForCompletion());
        EXPECT_EQ(completions[0].success, c.success);
        EXPECT_EQ(completions[0].data1, c.data1);
        EXPECT_EQ(completions[0].status, c.status);
        InitMagneticDevice(true);
    }
}

TEST_F(CardReaderOnPty, AMuteReaderTimesOutWithTheOperationsCode)
{
    struct Case {
        const char* what;
        int32_t type;
        Model reader;
        std::function<void(itfMagneticCard&)> call;
        int code;
    };
    const Case cases[] = {
        {"waited read", MagneticDevType::MSR106, Model::MSR106,
         [](itfMagneticCard& d) {
             QString a, b;
             d.ReadData(true, false, a, b);
         },
         1},
        {"erase without waiting still waits", MagneticDevType::MSR106, Model::MSR106,
         [](itfMagneticCard& d) { d.EraseCard(false); }, 3},
        {"coercivity set-up of a new session", MagneticDevType::MSR206HLLow, Model::MSR206HL,
         [](itfMagneticCard& d) { d.NewSession(nullptr); }, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        play(c.reader).setMute(true);
        ::settings().MagneticDevParam.Type = c.type;
        ASSERT_TRUE(InitMagneticDevice(false));
        itfMagneticCard& driver = objMagneticDevice();
        if (c.type == MagneticDevType::MSR106) driver.NewSession(nullptr);   // no reply awaited
        QElapsedTimer t;
        t.start();
        const AppError e = errorOf([&] { c.call(driver); });
        EXPECT_GE(t.elapsed(), EscapeCardDriver::kReplyTimeoutMs);
        EXPECT_EQ(e.number, AppError::kObjectErrorBase + c.code);
        EXPECT_EQ(e.source, driver.ModelDescription());
        EXPECT_EQ(e.description, QStringLiteral("Codice: %1\r\rTimeout, il dispositivo non ha risposto").arg(c.code));
        InitMagneticDevice(true);
    }
}

// A line that keeps sending never ends a reply: the read times out as on a silent line,
// rather than take the stream's last byte for the reader's status once it stops. (The
// reader's time-out is its protocol's 3 s, so this test takes that long.)
TEST_F(CardReaderOnPty, ALineThatKeepsSendingTimesOutTheRead)
{
    play(Model::MSR106);
    itfMagneticCard& driver = open(MagneticDevType::MSR106);
    pty.stopServing();
    std::atomic<bool> streaming {true};
    std::thread noise([&] {
        pty.send(ESC);
        for (int ms = 0; streaming && ms < 8000; ms += 20) {
            pty.send("x");
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    });
    QString data1, data2;
    const AppError e = errorOf([&] { driver.ReadData(true, false, data1, data2); });
    streaming = false;
    noise.join();
    EXPECT_EQ(e.description, QStringLiteral("Codice: 1\r\rTimeout, il dispositivo non ha risposto"));
    InitMagneticDevice(true);
}

TEST_F(CardReaderOnPty, ARefusedCoercivityStopsTheSession)
{
    // A text-only reader does not know the coercivity command.
    play(Model::MSR106);
    ::settings().MagneticDevParam.Type = MagneticDevType::MSR206HLHigh;
    ASSERT_TRUE(InitMagneticDevice(false));
    const AppError e = errorOf([] { objMagneticDevice().NewSession(nullptr); });
    EXPECT_EQ(e.description, QStringLiteral("Codice: 2\r\rImpostazione alta coercività non riuscita, codice 2"));
}
