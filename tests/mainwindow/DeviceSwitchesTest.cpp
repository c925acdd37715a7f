// The device switches: the register's driver, the reader's and the scale's ports; what the
// operator is told, what the window's controls show, and what is saved. A switch that
// fails leaves its device off, shows it off, and keeps the saved state as it was.
#include "core/configuration/Configuration.h"
#include "core/configuration/DeviceSettings.h"
#include "mainwindow/DeviceSwitches.h"
#include "devices/fiscal/FiscalPrinterFactory.h"
#include "HeadlessGuard.h"
#include "devices/simulators/ScriptedSerialChannel.h"
#include "core/serial/SerialLines.h"
#include "PtyPair.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <gtest/gtest.h>

namespace {

const QString kSection = QStringLiteral("Configuration");
}

class Switches : public ::testing::Test {
protected:
    void SetUp() override
    {
        setSerialChannelFactory([this] {
            auto channel = std::make_unique<ScriptedSerialChannel>();
            if (failNextOpen) channel->failNextOpen(SerialChannel::kPortNotFound, QStringLiteral("Porta inesistente"));
            failNextOpen = false;
            return channel;
        });
        ::settings().FiscalPrinterParam = FiscalPrinterSettings {};
        ::settings().FiscalPrinterParam.Type = RegisterType::Ellisse;
        ::settings().BarcodeReaderParam = BarcodeReaderSettings {};
        ::settings().BarcodeReaderParam.COMPortNumber = 3;
        ::settings().BalanceCOMPortNumber = 2;
        ::settings().BalanceCOMPortParam = QStringLiteral("19200,n,8,1");
        ::settings().FiscalPrinterEnabled = ::settings().BarcodeReaderEnabled = ::settings().BalanceEnabled = false;
        switches = std::make_unique<DeviceSwitches>();
    }
    void TearDown() override
    {
        switches.reset();
        (void)InitFiscalPrinter(true);
        setSerialChannelFactory({});
    }

    // The saved value of a flag; empty when nothing was saved.
    QString saved(const char* key) const { return store->get(kSection, QString::fromLatin1(key), QString()); }
    ScriptedSerialChannel& port(CounterDevice d)
    {
        return dynamic_cast<ScriptedSerialChannel&>(d == CounterDevice::Balance ? switches->BalancePort()
                                                                                : switches->BarcodeReaderPort());
    }

    testenv::HeadlessGuard headless;
    std::shared_ptr<MemorySettingsStore> store = headless.settings;
    std::shared_ptr<ScriptedUiServices> ui = headless.ui;
    std::unique_ptr<DeviceSwitches> switches;
    bool failNextOpen = false;
};

// A driver that cannot be made takes the failure path: off and unsaved. A factory that
// refuses the settings has said so itself: the switch records the register on and saves,
// so the next start tries again, though no driver stands.
TEST_F(Switches, TheRegisterSwitchCreatesTheDriverOrRecordsWhatTheFactoryRefused)
{
    const QString failed = QStringLiteral("MSGBOX: Impostazione registratore di cassa fallita: \r\r");
    struct Case {
        const char* name;
        int32_t type;
        QString lineSettings;
        bool portFails;
        bool on;   // the switch ends on: flag, button and saved state
        bool active;   // a driver stands
        QString firstLine;   // what the operator is told first; empty: nothing
    };
    const Case cases[] = {
        {"a register with its own driver", RegisterType::Ellisse, "9600,n,8,1", false, true, true,
         "STATUS: Registratore di cassa <Omega ELLISSE> attivato"},
        {"a type no register has: refused by the factory", 50, "9600,n,8,1", false, true, false, ""},
        {"a line speed the factory refuses, with its own message", RegisterType::RCHG600, "300,n,8,1", false, true,
         false, "MSGBOX: Velocita' imposta non valida (1200,2400,4800,9600 o 19200)"},
        {"no driver on this workstation", RegisterType::NoLocalDriver, "9600,n,8,1", false, false, false,
         failed + "Codice: 5"},
        {"a maker's component this system lacks", RegisterType::RCHG600, "9600,n,8,1", false, false, false,
         failed + "Codice: 5"},
        {"a port that does not open", RegisterType::Ellisse, "9600,n,8,1", true, false, false,
         failed + "Porta inesistente"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        setSettingsStore(store = std::make_shared<MemorySettingsStore>());
        (void)InitFiscalPrinter(true);
        ui->clearLog();
        ::settings().FiscalPrinterEnabled = false;
        ::settings().FiscalPrinterParam.Type = c.type;
        ::settings().FiscalPrinterParam.COMPortParam = c.lineSettings;
        failNextOpen = c.portFails;

        switches->SetFiscalPrinter(true);
        const QStringList log = ui->log();
        EXPECT_EQ(log.size(), c.firstLine.isEmpty() ? 0 : 1);
        if (!c.firstLine.isEmpty() && !log.isEmpty()) {
            EXPECT_TRUE(log.first().startsWith(c.firstLine)) << log.first().toStdString();
        }
        EXPECT_EQ(switches->State(CounterDevice::FiscalPrinter).on, c.on);
        EXPECT_EQ(::settings().FiscalPrinterEnabled, c.on);
        EXPECT_EQ(FiscalPrinterActive(), c.active);
        EXPECT_EQ(saved("FiscalPrinterEnabled"), c.on ? QStringLiteral("True") : QString());
    }
}

TEST_F(Switches, TheRegisterSwitchesOffAndSaysSo)
{
    switches->SetFiscalPrinter(true);
    ui->clearLog();
    switches->SetFiscalPrinter(false);
    EXPECT_EQ(ui->log(), QStringList {"STATUS: Registratore di cassa disattivato"});
    EXPECT_FALSE(FiscalPrinterActive());
    EXPECT_FALSE(switches->State(CounterDevice::FiscalPrinter).on);
    EXPECT_EQ(saved("FiscalPrinterEnabled"), QStringLiteral("False"));
}

// The reader and the scale work alike but for their settings and texts.
struct PortDevice {
    const char* name;
    CounterDevice device;
    void (DeviceSwitches::*set)(bool);
    bool Settings::*flag;
    const char* flagKey;
    QString where;
    QString on, off, failure;
};
void PrintTo(const PortDevice& d, std::ostream* os) { *os << d.name; }

class PortSwitch : public Switches, public ::testing::WithParamInterface<PortDevice> {
protected:
    void set(bool on) { (switches.get()->*GetParam().set)(on); }
};

TEST_P(PortSwitch, OpensOnceClosesOnceAndSavesEachTime)
{
    const PortDevice& d = GetParam();
    ScriptedSerialChannel& channel = port(d.device);

    set(true);
    EXPECT_TRUE(channel.isOpen());
    EXPECT_EQ(channel.portName() + QStringLiteral(" - ") + channel.settings(), d.where.mid(1, d.where.size() - 2));
    set(true);   // already on: not reopened, nothing more said
    EXPECT_EQ(channel.openCount(), 1);
    EXPECT_EQ(saved(d.flagKey), QStringLiteral("True"));
    EXPECT_TRUE(::settings().*d.flag);
    EXPECT_TRUE(switches->State(d.device).on);

    set(false);
    EXPECT_FALSE(channel.isOpen());
    // Off again with the port closed is no error: the flag is saved off once more.
    store->set(kSection, QString::fromLatin1(d.flagKey), QStringLiteral("stale"));
    set(false);
    EXPECT_EQ(saved(d.flagKey), QStringLiteral("False"));
    EXPECT_FALSE(switches->State(d.device).on);
    EXPECT_EQ(ui->log(), (QStringList {"STATUS: " + d.on + d.where, "STATUS: " + d.off}));
}

TEST_P(PortSwitch, APortThatCannotBeSetUpLeavesTheDeviceOffAndUnsaved)
{
    const PortDevice& d = GetParam();
    struct Case {
        const char* name;
        QString settings;
        bool portFails;
        QString error;
    };
    const Case cases[] = {
        {"a port that does not open", "", true, "Porta inesistente"},
        {"settings the port does not understand", "9600,x,8,1", false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ui->clearLog();
        store->set(kSection, QString::fromLatin1(d.flagKey), QStringLiteral("before"));
        QString where = d.where;
        if (!c.settings.isEmpty()) {
            if (d.device == CounterDevice::Balance)
                ::settings().BalanceCOMPortParam = c.settings;
            else
                ::settings().BarcodeReaderParam.COMPortParam = c.settings;
            where = d.where.section(QStringLiteral(" - "), 0, 0) + QStringLiteral(" - ") + c.settings + u')';
        }
        if (c.portFails) port(d.device).failNextOpen(SerialChannel::kPortNotFound, c.error);

        set(true);
        ASSERT_EQ(ui->log().size(), 1);
        const QString box = ui->log().first();
        EXPECT_TRUE(
            box.startsWith("MSGBOX: Impostazione porta " + where + u' ' + d.failure + " fallita: \r\r" + c.error))
            << box.toStdString();
        EXPECT_FALSE(port(d.device).isOpen());
        EXPECT_FALSE(::settings().*d.flag);
        EXPECT_FALSE(switches->State(d.device).on);
        EXPECT_EQ(saved(d.flagKey), QStringLiteral("before"));
    }
}

// What came before the switch belongs to no one, a partial line included.
TEST_P(PortSwitch, DropsWhatWaitedOnThePort)
{
    ScriptedSerialChannel& channel = port(GetParam().device);
    set(true);
    channel.deliver("12");
    EXPECT_EQ(ReadCommLine(channel), QString());
    channel.deliver("34\r");
    set(true);
    EXPECT_EQ(channel.pendingText(), QString());
    EXPECT_EQ(channel.bytesAvailable(), 0);

    channel.deliver("56");
    EXPECT_EQ(ReadCommLine(channel), QString());
    set(false);
    EXPECT_EQ(channel.pendingText(), QString());
}

INSTANTIATE_TEST_SUITE_P(
    Devices, PortSwitch,
    ::testing::Values(PortDevice {"reader", CounterDevice::BarcodeReader, &DeviceSwitches::SetBarcodeReader,
                                  &Settings::BarcodeReaderEnabled, "BarcodeReaderEnabled", "(COM3 - 9600,n,8,1)",
                                  "Lettore codici a barre attivato ", "Lettore codici a barre disattivato",
                                  "controllo lettore codici a barre"},
                      PortDevice {"scale", CounterDevice::Balance, &DeviceSwitches::SetBalance,
                                  &Settings::BalanceEnabled, "BalanceEnabled", "(COM2 - 19200,n,8,1)",
                                  "Controllo bilancia attivato ", "Controllo bilancia disattivato",
                                  "controllo bilancia"}),
    [](const ::testing::TestParamInfo<PortDevice>& info) { return std::string(info.param.name); });

// At each activation: the saved state where a port is configured; off, with the register's
// controls grey and the reader's hidden, where none is.
TEST_F(Switches, ActivationRestoresTheSavedStateWherePortsAreConfigured)
{
    struct Case {
        const char* name;
        int registerPort;
        bool registerSaved;
        int readerPort;
        bool readerSaved;
        DeviceSwitchState fiscal, reader;
    };
    const Case cases[] = {
        {"no ports", 0, true, 0, true, {false, false, true}, {false, true, false}},
        {"ports, saved on", 1, true, 3, true, {true, true, true}, {true, true, true}},
        {"ports, saved off", 1, false, 3, false, {false, true, true}, {false, true, true}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        switches = std::make_unique<DeviceSwitches>();
        QList<CounterDevice> changed;
        switches->SetOnChanged([&](CounterDevice d) { changed << d; });
        ::settings().FiscalPrinterParam.COMPortNumber = c.registerPort;
        ::settings().BarcodeReaderParam.COMPortNumber = c.readerPort;
        ::settings().FiscalPrinterEnabled = c.registerSaved;
        ::settings().BarcodeReaderEnabled = c.readerSaved;

        switches->ApplySavedState();
        EXPECT_EQ(switches->State(CounterDevice::FiscalPrinter), c.fiscal);
        EXPECT_EQ(switches->State(CounterDevice::BarcodeReader), c.reader);
        EXPECT_EQ(switches->BarcodeReaderPort().isOpen(), c.reader.on);
        EXPECT_EQ(FiscalPrinterActive(), c.fiscal.on);
        EXPECT_TRUE(changed.contains(CounterDevice::FiscalPrinter));
        EXPECT_TRUE(changed.contains(CounterDevice::BarcodeReader));
    }
}

// A line lost while its device is on: the port is closed by then, the device goes off as
// after a failed start (the saved start state stays, so the next start tries it again) and
// the status line says why. The register's driver is released only once no receipt holds it.
class LostLine : public Switches {
protected:
    void SetUp() override
    {
        Switches::SetUp();
        setSerialChannelFactory([] { return createSystemSerialChannel(); });
        switches = std::make_unique<DeviceSwitches>();
        switches->SetReceiptOpen([this] { return receiptOpen; });
        store->set(QStringLiteral("Devices"), QStringLiteral("COM1"), registerLine.devicePath());
        store->set(QStringLiteral("Devices"), QStringLiteral("COM2"), scaleLine.devicePath());
        store->set(QStringLiteral("Devices"), QStringLiteral("COM3"), readerLine.devicePath());
        ::settings().FiscalPrinterParam.COMPortNumber = 1;
    }
    // Runs the event loop until `done`, for at most five seconds.
    static void serveUntil(const std::function<bool()>& done)
    {
        QElapsedTimer t;
        t.start();
        while (!done() && t.elapsed() < 5000) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }

    PtyPair registerLine, scaleLine, readerLine;
    bool receiptOpen = false;
};

TEST_F(LostLine, TheDeviceGoesOffAndTheStatusLineSaysWhy)
{
    struct Case {
        const char* name;
        CounterDevice device;
        void (DeviceSwitches::*set)(bool);
        bool Settings::*flag;
        const char* flagKey;
        PtyPair* line;
        const char* port;
        QString told;
    };
    const Case cases[] = {
        {"register", CounterDevice::FiscalPrinter, &DeviceSwitches::SetFiscalPrinter, &Settings::FiscalPrinterEnabled,
         "FiscalPrinterEnabled", &registerLine, "COM1", "Registratore di cassa disattivato: "},
        {"reader", CounterDevice::BarcodeReader, &DeviceSwitches::SetBarcodeReader, &Settings::BarcodeReaderEnabled,
         "BarcodeReaderEnabled", &readerLine, "COM3", "Lettore codici a barre disattivato: "},
        {"scale", CounterDevice::Balance, &DeviceSwitches::SetBalance, &Settings::BalanceEnabled, "BalanceEnabled",
         &scaleLine, "COM2", "Controllo bilancia disattivato: "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        (switches.get()->*c.set)(true);
        ASSERT_TRUE(switches->State(c.device).on);
        ui->clearLog();

        c.line->hangUp();
        serveUntil([&] { return !switches->State(c.device).on; });
        EXPECT_FALSE(switches->State(c.device).on);
        EXPECT_FALSE(::settings().*c.flag);
        EXPECT_EQ(saved(c.flagKey), QStringLiteral("True"));
        EXPECT_EQ(ui->log(),
                  QStringList {QStringLiteral("STATUS: ") + c.told + QStringLiteral("La porta ")
                               + QString::fromLatin1(c.port)
                               + QStringLiteral(" non è più disponibile (linea interrotta): è stata chiusa")});
    }
    EXPECT_FALSE(FiscalPrinterActive());
    EXPECT_FALSE(switches->BarcodeReaderPort().isOpen());
    EXPECT_FALSE(switches->BalancePort().isOpen());
}

TEST_F(LostLine, TheRegisterWaitsForTheReceiptUnderWay)
{
    switches->SetFiscalPrinter(true);
    ASSERT_TRUE(FiscalPrinterActive());
    SerialChannel* line = FiscalPrinter().Line();
    ASSERT_NE(line, nullptr);
    receiptOpen = true;
    registerLine.hangUp();
    serveUntil([&] { return !line->isOpen(); });
    ASSERT_FALSE(line->isOpen());
    // Long enough for the switch to have gone off, were it not held.
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 300) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_TRUE(FiscalPrinterActive()) << "the driver went from under the receipt";
    EXPECT_TRUE(switches->State(CounterDevice::FiscalPrinter).on);

    receiptOpen = false;
    serveUntil([&] { return !FiscalPrinterActive(); });
    EXPECT_FALSE(FiscalPrinterActive());
    EXPECT_FALSE(switches->State(CounterDevice::FiscalPrinter).on);
}
