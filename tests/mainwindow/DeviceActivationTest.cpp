// The counter devices at each activation of the main window: switched only when their state
// has to change, and the register never touched while a receipt is being sent.
#include "mainwindow/DeviceActivation.h"
#include "core/configuration/Configuration.h"
#include "core/configuration/DeviceSettings.h"
#include "HeadlessGuard.h"
#include <QStringList>
#include <gtest/gtest.h>

namespace {

// Devices that keep their state and record every switch.
class Devices {
public:
    QStringList calls;
    bool fiscalOn = false;
    bool driver = false;
    bool readerOn = false;
    bool driverFails = false;   // the factory refuses the settings: nothing is switched on

    DeviceActivation::Devices functions()
    {
        DeviceActivation::Devices d;
        d.setFiscalPrinter = [this](bool on) {
            calls << QStringLiteral("fiscal %1").arg(on);
            fiscalOn = on && !driverFails;
            driver = fiscalOn;
        };
        d.setBarcodeReader = [this](bool on) {
            calls << QStringLiteral("reader %1").arg(on);
            readerOn = on;
        };
        d.fiscalPrinterOn = [this] { return fiscalOn; };
        d.driverActive = [this] { return driver; };
        d.barcodeReaderOn = [this] { return readerOn; };
        return d;
    }
};

class DeviceActivationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        settings().FiscalPrinterParam = FiscalPrinterSettings {};
        settings().BarcodeReaderParam = BarcodeReaderSettings {};
        settings().FiscalPrinterParam.COMPortNumber = 1;
        settings().BarcodeReaderParam.COMPortNumber = 2;
        settings().FiscalPrinterEnabled = true;
        settings().BarcodeReaderEnabled = true;
    }
    DeviceActivation::Controls apply(bool receiptOpen = false)
    {
        return activation.Apply(devices.functions(), receiptOpen);
    }

    testenv::HeadlessGuard headless;
    DeviceActivation activation;
    Devices devices;
};

}   // namespace

TEST_F(DeviceActivationTest, SavedStateAndPortsDecideSwitchesAndControls)
{
    struct Case {
        int registerPort, readerPort;
        bool registerEnabled, readerEnabled;
        bool fiscalOn, readerOn;
        DeviceActivation::Controls controls;
    };
    const Case cases[] = {
        {1, 2, true, true, true, true, {true, true}},
        {1, 2, false, false, false, false, {true, true}},
        {0, 2, true, true, false, true, {false, true}},   // no port: off, the register's controls grey
        {1, 0, true, true, true, false, {true, false}},   // no port: off, the reader's controls hidden
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.registerPort << "/" << c.readerPort << " " << c.registerEnabled << "/"
                                        << c.readerEnabled);
        Devices fresh;
        devices = fresh;
        DeviceActivation a;
        settings().FiscalPrinterParam.COMPortNumber = c.registerPort;
        settings().BarcodeReaderParam.COMPortNumber = c.readerPort;
        settings().FiscalPrinterEnabled = c.registerEnabled;
        settings().BarcodeReaderEnabled = c.readerEnabled;
        EXPECT_EQ(a.Apply(devices.functions(), false), c.controls);
        EXPECT_EQ(devices.fiscalOn, c.fiscalOn);
        EXPECT_EQ(devices.readerOn, c.readerOn);
    }
}

TEST_F(DeviceActivationTest, TheDriverIsMadeOnceForTheSameSettings)
{
    apply();
    apply();
    apply();
    EXPECT_EQ(devices.calls, (QStringList {"fiscal 1", "reader 1"}));

    // Another register setting: a new driver at the next activation, then no more.
    settings().FiscalPrinterParam.COMPortParam = QStringLiteral("19200,n,8,1");
    apply();
    apply();
    EXPECT_EQ(devices.calls, (QStringList {"fiscal 1", "reader 1", "fiscal 1"}));

    // The options dropped the driver (a test receipt): made again.
    devices.driver = false;
    apply();
    EXPECT_EQ(devices.calls.last(), QStringLiteral("fiscal 1"));
    EXPECT_EQ(devices.calls.size(), 4);
}

TEST_F(DeviceActivationTest, ADriverTheOperatorSwitchedOnIsKept)
{
    settings().FiscalPrinterEnabled = false;
    apply();
    EXPECT_EQ(devices.calls, QStringList {"reader 1"});
    // The toolbar switches it on with today's settings.
    devices.functions().setFiscalPrinter(true);
    settings().FiscalPrinterEnabled = true;
    activation.RegisterSwitched(true);
    devices.calls.clear();
    apply();
    EXPECT_FALSE(devices.calls.contains(QStringLiteral("fiscal 1")));
}

TEST_F(DeviceActivationTest, NothingTouchesTheRegisterWhileAReceiptIsSent)
{
    apply();
    devices.calls.clear();
    // Settings changed meanwhile, even the port taken away: the receipt keeps its driver.
    settings().FiscalPrinterParam.COMPortParam = QStringLiteral("19200,n,8,1");
    apply(true);
    settings().FiscalPrinterParam.COMPortNumber = 0;
    EXPECT_EQ(apply(true).registerEnabled, false);
    EXPECT_TRUE(devices.calls.isEmpty());
    EXPECT_TRUE(devices.driver);

    // Once the receipt is done the activation catches up.
    apply(false);
    EXPECT_EQ(devices.calls, QStringList {"fiscal 0"});
    EXPECT_FALSE(devices.driver);
}

TEST_F(DeviceActivationTest, ARefusedDriverIsTriedAgainOnlyWhileStillWanted)
{
    devices.driverFails = true;
    // The switch that fails turns the saved state off, as the device switches do.
    auto functions = devices.functions();
    auto set = functions.setFiscalPrinter;
    functions.setFiscalPrinter = [&set](bool on) {
        set(on);
        if (on) settings().FiscalPrinterEnabled = false;
    };
    activation.Apply(functions, false);
    activation.Apply(functions, false);
    EXPECT_EQ(devices.calls.filter(QStringLiteral("fiscal")), QStringList {"fiscal 1"});
}

TEST_F(DeviceActivationTest, SettingsCompareFieldByField)
{
    FiscalPrinterSettings a, b;
    EXPECT_TRUE(DeviceActivation::SameSettings(a, b));
    b.Timout = 9000;
    EXPECT_FALSE(DeviceActivation::SameSettings(a, b));
    b = a;
    b.SendDescription = !a.SendDescription;
    EXPECT_FALSE(DeviceActivation::SameSettings(a, b));
}
