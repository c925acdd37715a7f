#pragma once
// The switches of the counter devices: the fiscal register (its driver), the serial barcode
// reader and the scale (their ports). Each switch keeps the device, the saved start state,
// the status text and what the window's toolbar button and menu entry show in step. A
// switch that fails leaves its device off, shows off, and saves nothing; a register whose
// settings the factory refuses is the exception: the switch records it on and saves, so
// the next start tries it again.
//
// A device whose line is lost while switched on (an adapter pulled, a line hung up) goes
// off as after a failed start, and the status line says why; the register waits for the
// receipt being sent, if any, to end first.
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>

class SerialChannel;

enum class CounterDevice { FiscalPrinter, BarcodeReader, Balance };

// What a device's toolbar button and menu entry show.
struct DeviceSwitchState {
    bool on = false;   // button pressed, menu entry checked
    bool enabled = true;   // the register's controls are grey without a port
    bool visible = true;   // the reader's controls are absent without a port
    bool operator==(const DeviceSwitchState&) const = default;
};

class DeviceSwitches {
public:
    // The reader's and the scale's channels come from createSerialChannel(), closed.
    DeviceSwitches();
    ~DeviceSwitches();
    DeviceSwitches(const DeviceSwitches&) = delete;
    DeviceSwitches& operator=(const DeviceSwitches&) = delete;

    // The register's driver of the configured type is created or released.
    void SetFiscalPrinter(bool on);
    // The reader's port opens with "BarcodeReaderParam" or closes; what waited on it is dropped.
    void SetBarcodeReader(bool on);
    // The scale's port, likewise with "BalanceParam"; nothing is read from it here.
    void SetBalance(bool on);

    // At every activation of the main window: the register and the reader go to their
    // saved state when a port is configured for them, and off otherwise, with the
    // register's controls greyed and the reader's hidden.
    void ApplySavedState();

    const DeviceSwitchState& State(CounterDevice device) const;
    SerialChannel& BarcodeReaderPort() { return *m_reader; }
    SerialChannel& BalancePort() { return *m_balance; }

    // Called after each change of a device's state, for the window to redraw its controls.
    void SetOnChanged(std::function<void(CounterDevice)> changed) { m_changed = std::move(changed); }
    // True while a receipt is being sent: the register's driver is not released meanwhile.
    void SetReceiptOpen(std::function<bool()> open) { m_receiptOpen = std::move(open); }

private:
    struct Port;
    void switchPort(const Port& port, bool on);
    void set(CounterDevice device, bool on);
    DeviceSwitchState& state(CounterDevice device);
    void watchRegisterLine();
    void registerLineLost(const QPointer<SerialChannel>& line, const QString& why);
    void portLost(CounterDevice device, const QString& why);

    std::unique_ptr<SerialChannel> m_reader;
    std::unique_ptr<SerialChannel> m_balance;
    DeviceSwitchState m_fiscal, m_barcode, m_scale;
    std::function<void(CounterDevice)> m_changed;
    std::function<bool()> m_receiptOpen;
    QObject m_watch;   // holds the connections to the lines and the delayed switch-off
};
