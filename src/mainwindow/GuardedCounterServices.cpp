#include "GuardedCounterServices.h"
#include "CounterDevices.h"
#include "core/helpers/SystemHelpers.h"
#include "base/UiServices.h"

class GuardedCounterServices::Open {
public:
    explicit Open(int& count) : m_count(count) { ++m_count; }
    ~Open() { --m_count; }
    Open(const Open&) = delete;
    Open& operator=(const Open&) = delete;

private:
    int& m_count;
};

GuardedCounterServices::GuardedCounterServices(CounterDevices& devices) : m_devices(devices)
{
    m_devices.Switches().SetReceiptOpen([this] { return ReceiptOpen(); });
}

GuardedCounterServices::~GuardedCounterServices()
{
    m_devices.Switches().SetReceiptOpen({});
    if (counterServices() == this) setCounterServices(nullptr);
}

bool GuardedCounterServices::Send_Scontrino(TableData& rows)
{
    Open open(m_receipts);
    return m_devices.Send_Scontrino(rows);
}

void GuardedCounterServices::ReprintReceipt(TableData* sales)
{
    Open open(m_receipts);
    m_devices.Receipts().ReprintReceipt(sales);
}

void GuardedCounterServices::SetBarcodeControl(std::shared_ptr<BarcodeTarget> box)
{
    m_devices.SetBarcodeControl(std::move(box));
}

void GuardedCounterServices::SetFiscalPrinter(bool on)
{
    if (ReceiptOpen()) {
        ui().msgBox(QStringLiteral("Lo scontrino è in corso di emissione sul registratore di cassa: "
                                   "il registratore resta com'è"),
                    Msg::Exclamation, AppTitle());
        return;
    }
    m_devices.SetFiscalPrinter(on);
}

void GuardedCounterServices::SetBarcodeReader(bool on) { m_devices.SetBarcodeReader(on); }
void GuardedCounterServices::SetBalance(bool on) { m_devices.SetBalance(on); }
void GuardedCounterServices::mnuPrintLabel_Click() { m_devices.mnuPrintLabel_Click(); }
