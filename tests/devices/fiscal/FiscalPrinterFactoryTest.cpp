#include "RegisterFixture.h"
#include "devices/simulators/EllisseSimulator.h"
#include "core/serial/SerialChannel.h"

#include <QPointer>

using FactoryTest = RegisterTest<EllisseSimulator>;

TEST_F(FactoryTest, SerialTypesGetTheirDriverWithTheLineOpen)
{
    struct Case {
        int32_t type;
        const char* description;
        const char* control;
        SerialFlowControl flow;
    };
    const Case cases[] = {
        {0, "Olivetti CRF 4600", "objMSCommCRF", SerialFlowControl::None},
        {3, "Omega ELLISSE", "objMSCommELL", SerialFlowControl::None},
        {4, "Omega ELLISSE", "objMSCommELL", SerialFlowControl::None},
        {7, "Omega SAX", "objMSCommSAX", SerialFlowControl::None},
        {8, "DSProgress", "objMSCommDSProgress", SerialFlowControl::None},
        {10, "Sarema ECR (Xon/Xoff)", "objMSCommSarema", SerialFlowControl::XonXoff},
        {11, "SWEDA ECR (mwcr)", "objMSCommSWEDA", SerialFlowControl::None},
    };
    settings().FiscalPrinterParam.COMPortParam = QStringLiteral("4800,e,7,1");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        itfFiscalPrinter& printer = start(c.type);
        EXPECT_EQ(printer.FiscalPrinterDescription(), QString::fromUtf8(c.description));
        EXPECT_EQ(RegisterTypeDescription(c.type), QString::fromUtf8(c.description));
        auto* serial = dynamic_cast<SerialRegisterDriver*>(&printer);
        ASSERT_NE(serial, nullptr);
        SerialChannel& comm = serial->comm();
        EXPECT_TRUE(comm.isOpen());
        EXPECT_EQ(comm.objectName(), QString::fromLatin1(c.control));
        EXPECT_EQ(comm.portNumber(), 1);
        EXPECT_EQ(comm.settings(), QStringLiteral("4800,e,7,1"));
        EXPECT_EQ(comm.flowControl(), c.flow);
        EXPECT_TRUE(comm.dtrEnable());
        EXPECT_FALSE(comm.rtsEnable());
    }
}

TEST_F(FactoryTest, ReleaseDropsTheDriverAndClosesItsLine)
{
    start(3);
    QPointer<SerialChannel> comm(&dynamic_cast<SerialRegisterDriver&>(FiscalPrinter()).comm());
    EXPECT_TRUE(InitFiscalPrinter(true));
    EXPECT_FALSE(FiscalPrinterActive());
    EXPECT_TRUE(comm.isNull());
    const AppError e = raised([] { FiscalPrinter(); });
    EXPECT_EQ(e.number, driverError(itfFiscalPrinter::kNoDriverCode));
    EXPECT_EQ(e.description, QStringLiteral("Codice: 5\r\rIl registratore di cassa non è attivato"));
}

TEST_F(FactoryTest, TypeWithoutLocalDriverStandsButEveryUseIsToldThereIsNone)
{
    start(3);
    settings().FiscalPrinterParam.Type = RegisterType::NoLocalDriver;
    EXPECT_TRUE(InitFiscalPrinter(false));
    EXPECT_FALSE(FiscalPrinterActive());   // the previous driver is gone too
    const AppError e = raised([] { FiscalPrinter().NewSession(2); });
    EXPECT_EQ(e.number, driverError(itfFiscalPrinter::kNoDriverCode));
    EXPECT_TRUE(e.description.startsWith(QStringLiteral("Codice: 5\r\r")));
    EXPECT_TRUE(e.description.contains(QStringLiteral("non ha un driver su questa postazione")));
}

TEST_F(FactoryTest, TypesNoRegisterHasCreateNothing)
{
    for (const int32_t type : {-1, -5, 13, 50, 98, 100, 1000}) {
        SCOPED_TRACE(type);
        start(3);
        settings().FiscalPrinterParam.Type = type;
        EXPECT_FALSE(InitFiscalPrinter(false));
        EXPECT_FALSE(FiscalPrinterActive());
    }
}

TEST(RchLineCodes, SpeedAndDataBitsFromThePortSettings)
{
    struct Case {
        const char* settings;
        int speed;   // 0: refused
        int dataBits;
    };
    const Case cases[] = {
        {"19200,n,8,1", 16, 3}, {"9600,e,7,1", 8, 2},  {"1200,n,8,1", 1, 3},  {"2400,e, 7,1", 2, 2},
        {"4800,n,8,2", 4, 3},   {"14400,n,8,1", 0, 0}, {"38400,n,8,1", 0, 0}, {"", 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.settings);
        const auto codes = RchLineCodesOf(QString::fromLatin1(c.settings));
        ASSERT_EQ(codes.has_value(), c.speed != 0);
        if (codes) {
            EXPECT_EQ(codes->speedCode, c.speed);
            EXPECT_EQ(codes->dataBitCode, c.dataBits);
        }
    }
}

// The factory shows nothing: it reports the refusal, and the window that asked shows it.
TEST_F(FactoryTest, AnRchSpeedTheComponentRefusesIsReportedAndNoDriver)
{
    start(3);
    settings().FiscalPrinterParam.Type = RegisterType::RCHG600;
    settings().FiscalPrinterParam.COMPortParam = QStringLiteral("14400,n,8,1");
    ui->clearLog();
    const FiscalPrinterStart started = InitFiscalPrinter(false);
    EXPECT_FALSE(started);
    EXPECT_EQ(started.refusal, QStringLiteral("Velocita' imposta non valida (1200,2400,4800,9600 o 19200)"));
    EXPECT_FALSE(FiscalPrinterActive());
    EXPECT_EQ(ui->prompts(), QStringList());
    // Types no register has are refused with nothing to tell.
    settings().FiscalPrinterParam.Type = 13;
    EXPECT_EQ(InitFiscalPrinter(false).refusal, QString());
}

TEST_F(FactoryTest, APortThatDoesNotOpenRaisesTheLineErrorAndLeavesNoDriver)
{
    struct Case {
        int port;
        const char* device;   // [Devices] COM<port>
        int32_t number;
    };
    const Case cases[] = {
        {0, nullptr, SerialChannel::kPortNotFound},   // "0 for none"
        {2, "/nonexistent/ttyS9", SerialChannel::kPortNotFound},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.port);
        start(3);
        if (c.device)
            settingsStore().set(QStringLiteral("Devices"), QStringLiteral("COM%1").arg(c.port),
                                QString::fromLatin1(c.device));
        settings().FiscalPrinterParam.COMPortNumber = c.port;
        const AppError e = raised([] { InitFiscalPrinter(false); });
        EXPECT_EQ(e.number, c.number);
        EXPECT_FALSE(FiscalPrinterActive());
        settings().FiscalPrinterParam.COMPortNumber = 1;
    }
    // Line settings the port does not understand are the line's error as well.
    settings().FiscalPrinterParam.COMPortParam = QStringLiteral("9600;n;8;1");
    EXPECT_EQ(raised([] { InitFiscalPrinter(false); }).number, SerialChannel::kInvalidSettings);
    EXPECT_FALSE(FiscalPrinterActive());
}

TEST_F(FactoryTest, NewParametersReopenTheLineWithThem)
{
    auto& serial = dynamic_cast<SerialRegisterDriver&>(start(3));
    serial.SetParameters({1, QStringLiteral("19200,o,8,2")});
    EXPECT_TRUE(serial.comm().isOpen());
    EXPECT_EQ(serial.comm().settings(), QStringLiteral("19200,o,8,2"));
    EXPECT_EQ(raised([&] { serial.SetParameters({1}); }).number, 9);
}
