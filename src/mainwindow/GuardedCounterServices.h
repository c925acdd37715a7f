#pragma once
// The counter services the main window registers for the sale, supply and article windows:
// its counter devices, with a count of the receipts being sent. A receipt waits on the event
// loop for the register, and meanwhile anything may run (a toolbar click, an activation of
// the main window, the close command); none of it may release or replace the register's
// driver while the receipt is open.
#include "core/seams/CounterServices.h"

class CounterDevices;

class GuardedCounterServices final : public CounterServices {
public:
    // The devices' switches hold the register for a receipt being sent here.
    explicit GuardedCounterServices(CounterDevices& devices);
    ~GuardedCounterServices() override;

    // A receipt is being sent (or reprinted) now.
    bool ReceiptOpen() const { return m_receipts > 0; }

    bool Send_Scontrino(TableData& rows) override;
    // "&Ristampa scontrino" on the shown sales.
    void ReprintReceipt(TableData* sales);
    void SetBarcodeControl(std::shared_ptr<BarcodeTarget> box) override;
    // Refused while a receipt is open: the operator is told, the register stays as it is.
    void SetFiscalPrinter(bool on) override;
    void SetBarcodeReader(bool on) override;
    void SetBalance(bool on) override;
    void mnuPrintLabel_Click() override;

private:
    class Open;
    CounterDevices& m_devices;
    int m_receipts = 0;
};
