#pragma once
// The counter devices at each activation of the main window: the register and the barcode
// reader go to their saved state when a port is configured for them, and off otherwise,
// with the register's controls greyed and the reader's hidden.
//
// The window is activated again and again (every dialog that closes over it does it), so
// a device is switched only when its state has to change: the register's driver is created
// when none stands or its settings changed since it was created, and the reader's port is
// opened when it is closed. While a receipt is being sent (the sale form waits on the event
// loop for the register) the register is not touched at all: a new driver would be pulled
// from under the receipt.
#include "core/configuration/DeviceSettings.h"
#include <functional>
#include <optional>

class DeviceActivation {
public:
    // What the step needs of the devices (the main window's device switches).
    struct Devices {
        std::function<void(bool on)> setFiscalPrinter;
        std::function<void(bool on)> setBarcodeReader;
        std::function<bool()> fiscalPrinterOn;   // the register's switch is on
        std::function<bool()> driverActive;   // a register driver stands
        std::function<bool()> barcodeReaderOn;
    };

    struct Controls {
        bool registerEnabled = true;   // the register's toolbar button and menu entry
        bool readerVisible = true;   // the reader's toolbar button and menu entry
        bool operator==(const Controls&) const = default;
    };

    // receiptOpen: a receipt is being sent to the register now.
    Controls Apply(const Devices& devices, bool receiptOpen);

    // The register was switched by the operator (toolbar or menu): a driver that now stands
    // was made with today's settings.
    void RegisterSwitched(bool driverStands);

    // The register's settings the standing driver was created with.
    const std::optional<FiscalPrinterSettings>& DriverSettings() const { return m_driverSettings; }

    static bool SameSettings(const FiscalPrinterSettings& a, const FiscalPrinterSettings& b);

private:
    void applyRegister(const Devices& devices, bool port);
    std::optional<FiscalPrinterSettings> m_driverSettings;
};
