#include "DeviceActivation.h"
#include "core/configuration/Configuration.h"
#include <tuple>

bool DeviceActivation::SameSettings(const FiscalPrinterSettings& a, const FiscalPrinterSettings& b)
{
    auto fields = [](const FiscalPrinterSettings& s) {
        return std::tie(s.Type, s.COMPortNumber, s.COMPortParam, s.CommandWait, s.Timout, s.DescriptionLen,
                        s.CurrencyConversion, s.SendDescription, s.SendDisplay);
    };
    return fields(a) == fields(b);
}

DeviceActivation::Controls DeviceActivation::Apply(const Devices& devices, bool receiptOpen)
{
    Controls controls;
    const bool registerPort = settings().FiscalPrinterParam.COMPortNumber >= 1;
    controls.registerEnabled = registerPort;
    if (!receiptOpen) applyRegister(devices, registerPort);

    const bool readerPort = settings().BarcodeReaderParam.COMPortNumber >= 1;
    controls.readerVisible = readerPort;
    const bool readerWanted = readerPort && settings().BarcodeReaderEnabled;
    if (readerWanted != devices.barcodeReaderOn()) devices.setBarcodeReader(readerWanted);
    // A reader without a port is off, and says so in the saved state too.
    else if (!readerPort && settings().BarcodeReaderEnabled)
        devices.setBarcodeReader(false);
    return controls;
}

void DeviceActivation::RegisterSwitched(bool driverStands)
{
    if (driverStands)
        m_driverSettings = settings().FiscalPrinterParam;
    else
        m_driverSettings.reset();
}

void DeviceActivation::applyRegister(const Devices& devices, bool port)
{
    const bool wanted = port && settings().FiscalPrinterEnabled;
    if (!wanted) {
        if (devices.fiscalPrinterOn() || devices.driverActive() || settings().FiscalPrinterEnabled)
            devices.setFiscalPrinter(false);
        m_driverSettings.reset();
        return;
    }
    // The options dialog may have dropped the driver (a test receipt, another register
    // type) or changed what it was made with: then, and only then, a new one is made.
    const bool current = devices.fiscalPrinterOn() && devices.driverActive() && m_driverSettings
        && SameSettings(*m_driverSettings, settings().FiscalPrinterParam);
    if (current) return;
    devices.setFiscalPrinter(true);
    RegisterSwitched(devices.fiscalPrinterOn() && devices.driverActive());
}
