#pragma once
// The program-wide device settings a test changes, taken before it and put back after it,
// so that no test leaves its registers, readers or scale to the next.
#include "Configuration.h"
#include "DeviceSettings.h"

struct SavedDeviceSettings {
    FiscalPrinterSettings fiscal;
    BarcodeReaderSettings reader;
    LabelPrinterSettings label;
    TicketPrinterSettings ticket;
    int balancePort = 0;
    QString balanceParam;
    bool fiscalOn = false, readerOn = false, balanceOn = false;

    static SavedDeviceSettings take()
    {
        return {FiscalPrinterParam, BarcodeReaderParam, LabelPrinterParam, TicketPrinterParam, BalanceCOMPortNumber,
                BalanceCOMPortParam, FiscalPrinterEnabled, BarcodeReaderEnabled, BalanceEnabled};
    }
    void restore() const
    {
        FiscalPrinterParam = fiscal;
        BarcodeReaderParam = reader;
        LabelPrinterParam = label;
        TicketPrinterParam = ticket;
        BalanceCOMPortNumber = balancePort;
        BalanceCOMPortParam = balanceParam;
        FiscalPrinterEnabled = fiscalOn;
        BarcodeReaderEnabled = readerOn;
        BalanceEnabled = balanceOn;
    }
};
