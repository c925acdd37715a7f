#include "DeviceSwitches.h"

#include "base/AppError.h"
#include "core/configuration/Configuration.h"
#include "core/configuration/DeviceSettings.h"
#include "core/lifecycle/ErrorReporting.h"
#include "devices/fiscal/FiscalPrinterFactory.h"
#include "core/serial/SerialChannel.h"
#include "core/serial/SerialLines.h"
#include "base/UiServices.h"

#include <QTimer>

// The reader and the scale differ only in these.
struct DeviceSwitches::Port {
    CounterDevice device;
    SerialChannel& channel;
    int number;
    QString settings;
    bool& enabledFlag;
    QString onText;   // followed by "(COM<n> - <settings>)"
    QString offText;
    QString failureWhat;   // what the failure box says could not be set up
};

namespace {
// How often a register whose line was lost during a receipt looks again for the receipt's end.
constexpr int kReceiptRecheckMs = 100;
}

DeviceSwitches::DeviceSwitches() : m_reader(createSerialChannel()), m_balance(createSerialChannel())
{
    QObject::connect(m_reader.get(), &SerialChannel::lost, &m_watch,
                     [this](const QString& why) { portLost(CounterDevice::BarcodeReader, why); });
    QObject::connect(m_balance.get(), &SerialChannel::lost, &m_watch,
                     [this](const QString& why) { portLost(CounterDevice::Balance, why); });
}

DeviceSwitches::~DeviceSwitches() = default;

const DeviceSwitchState& DeviceSwitches::State(CounterDevice device) const
{
    return const_cast<DeviceSwitches*>(this)->state(device);
}

DeviceSwitchState& DeviceSwitches::state(CounterDevice device)
{
    switch (device) {
    case CounterDevice::FiscalPrinter: return m_fiscal;
    case CounterDevice::BarcodeReader: return m_barcode;
    case CounterDevice::Balance: break;
    }
    return m_scale;
}

void DeviceSwitches::set(CounterDevice device, bool on)
{
    state(device).on = on;
    if (m_changed) m_changed(device);
}

void DeviceSwitches::SetFiscalPrinter(bool on)
{
    try {
        if (on) {
            // Settings the factory refuses are told; the switch still records the operator's
            // choice, so the next start tries the register again.
            const FiscalPrinterStart started = InitFiscalPrinter(false);
            if (started) {
                // A type without a driver of its own leaves none: the description request fails.
                ui().status(QStringLiteral("Registratore di cassa <") + FiscalPrinter().FiscalPrinterDescription()
                            + QStringLiteral("> attivato"));
                watchRegisterLine();
            } else if (!started.refusal.isEmpty()) {
                ui().msgBox(started.refusal, Msg::Exclamation, g_strMsgTitle);
            }
        } else if (InitFiscalPrinter(true)) {
            ui().status(QStringLiteral("Registratore di cassa disattivato"));
        }
        settings().FiscalPrinterEnabled = on;
        set(CounterDevice::FiscalPrinter, on);
        SaveConfiguration();
    } catch (...) {
        const AppError e = CurrentError();
        (void)InitFiscalPrinter(true);   // nothing half on
        ui().msgBox(QStringLiteral("Impostazione registratore di cassa fallita: \r\r") + e.description, Msg::Critical,
                    g_strMsgTitle);
        settings().FiscalPrinterEnabled = false;
        set(CounterDevice::FiscalPrinter, false);
    }
}

void DeviceSwitches::SetBarcodeReader(bool on)
{
    switchPort(Port {CounterDevice::BarcodeReader, *m_reader, settings().BarcodeReaderParam.COMPortNumber,
                     settings().BarcodeReaderParam.COMPortParam, settings().BarcodeReaderEnabled,
                     QStringLiteral("Lettore codici a barre attivato "),
                     QStringLiteral("Lettore codici a barre disattivato"),
                     QStringLiteral("controllo lettore codici a barre")},
               on);
}

void DeviceSwitches::SetBalance(bool on)
{
    switchPort(Port {CounterDevice::Balance, *m_balance, settings().BalanceCOMPortNumber,
                     settings().BalanceCOMPortParam, settings().BalanceEnabled,
                     QStringLiteral("Controllo bilancia attivato "), QStringLiteral("Controllo bilancia disattivato"),
                     QStringLiteral("controllo bilancia")},
               on);
}

void DeviceSwitches::switchPort(const Port& port, bool on)
{
    const QString where = QStringLiteral("(COM%1 - %2)").arg(port.number).arg(port.settings);
    SerialChannel& channel = port.channel;
    try {
        if (on) {
            if (!channel.isOpen()) {
                channel.setPortNumber(port.number);
                channel.setSettings(port.settings);
                channel.open();
                ui().status(port.onText + where);
            }
        } else if (channel.isOpen()) {
            channel.close();
            ui().status(port.offText);
        }
        port.enabledFlag = on;
        set(port.device, on);
        // What arrived before the switch belongs to no one. A closed port has nothing
        // waiting but a partial line, and is no reason to fail a switch-off.
        if (channel.isOpen())
            ClearCommInput(channel);
        else
            channel.pendingText().clear();
        SaveConfiguration();
    } catch (...) {
        const AppError e = CurrentError();
        channel.close();
        ui().msgBox(QStringLiteral("Impostazione porta ") + where + u' ' + port.failureWhat
                        + QStringLiteral(" fallita: \r\r") + e.description,
                    Msg::Critical, g_strMsgTitle);
        port.enabledFlag = false;
        set(port.device, false);
    }
}

void DeviceSwitches::watchRegisterLine()
{
    SerialChannel* line = FiscalPrinterActive() ? FiscalPrinter().Line() : nullptr;
    if (!line) return;
    // The connection goes with the driver's line.
    QObject::connect(
        line, &SerialChannel::lost, &m_watch,
        [this, watched = QPointer<SerialChannel>(line)](const QString& why) { registerLineLost(watched, why); });
}

void DeviceSwitches::registerLineLost(const QPointer<SerialChannel>& line, const QString& why)
{
    // Released or replaced meanwhile, or open again (a receipt's retry found the register
    // back): nothing to switch off.
    if (!line || line->isOpen() || !FiscalPrinterActive() || FiscalPrinter().Line() != line.data()) return;
    // The receipt under way still holds the driver: it meets the closed line and says so.
    if (m_receiptOpen && m_receiptOpen()) {
        QTimer::singleShot(kReceiptRecheckMs, &m_watch, [this, line, why] { registerLineLost(line, why); });
        return;
    }
    (void)InitFiscalPrinter(true);
    settings().FiscalPrinterEnabled = false;
    set(CounterDevice::FiscalPrinter, false);
    ui().status(QStringLiteral("Registratore di cassa disattivato: ") + why);
}

void DeviceSwitches::portLost(CounterDevice device, const QString& why)
{
    const bool reader = device == CounterDevice::BarcodeReader;
    SerialChannel& channel = reader ? *m_reader : *m_balance;
    if (channel.isOpen() || !State(device).on) return;
    channel.pendingText().clear();
    (reader ? settings().BarcodeReaderEnabled : settings().BalanceEnabled) = false;
    set(device, false);
    ui().status((reader ? QStringLiteral("Lettore codici a barre disattivato: ")
                        : QStringLiteral("Controllo bilancia disattivato: "))
                + why);
}

void DeviceSwitches::ApplySavedState()
{
    const bool registerPort = settings().FiscalPrinterParam.COMPortNumber >= 1;
    SetFiscalPrinter(registerPort && settings().FiscalPrinterEnabled);
    m_fiscal.enabled = registerPort;

    const bool readerPort = settings().BarcodeReaderParam.COMPortNumber >= 1;
    SetBarcodeReader(readerPort && settings().BarcodeReaderEnabled);
    m_barcode.visible = readerPort;

    if (m_changed) {
        m_changed(CounterDevice::FiscalPrinter);
        m_changed(CounterDevice::BarcodeReader);
    }
}
