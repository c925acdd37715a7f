// A register that stops answering (switched off, cable out, line held) fails the receipt
// within its time-out with its family's message, and the same receipt sent again once the
// register is back is the receipt a healthy register gets.
#include "RegisterFixture.h"
#include "devices/fiscal/FiscalReceipt.h"
#include "devices/simulators/RegisterSimulators.h"
#include "devices/simulators/SwedaSimulator.h"

#include <QThread>

namespace {
constexpr char XON = 0x11, XOFF = 0x13;

const QList<FiscalRow> kReceipt = {
    {*Currency::parse(QStringLiteral("1.20")), 2, QStringLiteral("Pane"), 4},
    {*Currency::parse(QStringLiteral("-0.50")), 1, QStringLiteral("Reso"), 4},
};

const QString kConnection = QStringLiteral("Errore di comunicazione con il registratore di cassa (COM1-9600,n,8,1)");

struct Family {
    int32_t type;
    const char* simulator;
    int32_t code;
    QString description;
    bool heldByXoff;   // the register has no answers: it goes away by holding the line
};

void PrintTo(const Family& f, std::ostream* os) { *os << f.simulator << " type " << f.type; }
}

class ReceiptRetry : public FiscalTest, public ::testing::WithParamInterface<Family> {
protected:
    void SetUp() override
    {
        FiscalTest::SetUp();
        sim = CreateRegisterSimulator(QString::fromLatin1(GetParam().simulator));
        line = std::make_unique<RegisterSimulatorLine>(sim);
        settingsStore().set(QStringLiteral("Devices"), QStringLiteral("COM1"), line->devicePath());
        settings().FiscalPrinterParam.Type = GetParam().type;
        ASSERT_TRUE(InitFiscalPrinter(false));
    }
    void TearDown() override
    {
        FiscalTest::TearDown();
        line.reset();
    }

    void goAway()
    {
        if (!GetParam().heldByXoff) return line->setPowered(false);
        line->send(QByteArray(1, XOFF));
        QThread::msleep(50);
    }
    void comeBack()
    {
        if (!GetParam().heldByXoff) return line->setPowered(true);
        // What waited behind XOFF reaches the register first: the command that failed.
        const qsizetype before = sim->commands().size();
        line->send(QByteArray(1, XON));
        QElapsedTimer t;
        t.start();
        while (sim->commands().size() < before + 1 && t.elapsed() < 2000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    // The commands the register got, once at least `count` have come and no more follow.
    QList<QByteArray> settled(qsizetype count)
    {
        QElapsedTimer t, quiet;
        t.start();
        quiet.start();
        qsizetype seen = -1;
        while (t.elapsed() < 3000) {
            const qsizetype now = sim->commands().size();
            if (now != seen) {
                seen = now;
                quiet.restart();
            } else if (now >= count && quiet.elapsed() >= 100) {
                break;
            }
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
        return sim->commands();
    }

    std::shared_ptr<RegisterSimulator> sim;
    std::unique_ptr<RegisterSimulatorLine> line;
};

TEST_P(ReceiptRetry, FailsWithinTheTimeoutAndTheRetrySendsTheWholeReceipt)
{
    const Family& f = GetParam();
    SendFiscalReceipt(FiscalPrinter(), 2, kReceipt);
    const QList<QByteArray> healthy = settled(0);
    ASSERT_FALSE(healthy.isEmpty());
    sim->clearCommands();

    goAway();
    QElapsedTimer t;
    t.start();
    const AppError e = raised([] { SendFiscalReceipt(FiscalPrinter(), 2, kReceipt); });
    // The failed step waits one time-out at most, and nothing is sent after it.
    EXPECT_LT(t.elapsed(), kTimeoutMs + 1000);
    EXPECT_EQ(e.number, driverError(f.code));
    EXPECT_EQ(e.source, RegisterTypeDescription(f.type));
    EXPECT_EQ(e.description, QStringLiteral("Codice: %1\r\r").arg(f.code) + f.description);

    comeBack();
    sim->clearCommands();
    SendFiscalReceipt(FiscalPrinter(), 2, kReceipt);
    EXPECT_EQ(settled(healthy.size()), healthy);
}

// A line that keeps sending bytes that never make an answer: the time-out bounds the whole
// answer, so the receipt fails within it as on a silent line, not when the line stops.
TEST_P(ReceiptRetry, ALineThatKeepsSendingFailsWithinTheTimeout)
{
    const Family& f = GetParam();
    if (f.heldByXoff) GTEST_SKIP() << "this register sends no answers";
    constexpr int kStreamMs = 3000, kEveryMs = 20;
    // No gap between the bytes is long enough to end the answer (CRF 4600 ends one after
    // CommandWait of silence).
    settings().FiscalPrinterParam.CommandWait = 100;
    SimulatorOutput noise {{0, QByteArray(1, 0x02)}};
    for (int ms = 0; ms < kStreamMs; ms += kEveryMs) noise.push_back({kEveryMs, "x"});
    sim->replaceNextAnswer(noise);

    QElapsedTimer t;
    t.start();
    const AppError e = raised([] { SendFiscalReceipt(FiscalPrinter(), 2, kReceipt); });
    EXPECT_LT(t.elapsed(), kStreamMs / 2);
    EXPECT_EQ(e.number, driverError(f.code));
    EXPECT_EQ(e.description, QStringLiteral("Codice: %1\r\r").arg(f.code) + f.description);
}

INSTANTIATE_TEST_SUITE_P(
    Families, ReceiptRetry,
    ::testing::Values(Family {0, "crf4600", 1, kConnection, false}, Family {3, "ellisse", 1, kConnection, false},
                      // Nothing goes to the register before the first row.
                      Family {4, "ellisse", 3, QStringLiteral("Errore di comunicazione in invio dei dati"), false},
                      Family {7, "sax", 1, kConnection.chopped(1) + QStringLiteral(") - azzeramento free conunter"),
                              false},
                      Family {8, "dsprogress", 1, kConnection, false}, Family {10, "sarema", 1, kConnection, true},
                      Family {11, "sweda", 1, kConnection + QStringLiteral(", "), false}),
    [](const ::testing::TestParamInfo<Family>& info) {
        return std::string(info.param.simulator) + "_type" + std::to_string(info.param.type);
    });

// A row the register refuses ends the receipt there: the error reaches the caller and the
// register hears nothing more, not even a void.
using RefusedRow = RegisterTest<SwedaSimulator>;

TEST_F(RefusedRow, IsTheLastCommandTheRegisterHears)
{
    start(RegisterType::SWEDA);
    sim->replaceNextAnswer(bytes({0x04, 0x0D}));
    sim->replaceNextAnswer("E5\r");
    const AppError e = raised([] { SendFiscalReceipt(FiscalPrinter(), 2, kReceipt); });
    EXPECT_EQ(e.description, QStringLiteral("Codice: 3\r\rErrore in invio dei dati (reparto 4), Subtotale Negativo"));
    EXPECT_EQ(commands(2), (QList<QByteArray> {"KXCL", "KX00000240R4Pane2x "}));
    QThread::msleep(100);
    EXPECT_EQ(sim->commands().size(), 2);
}
