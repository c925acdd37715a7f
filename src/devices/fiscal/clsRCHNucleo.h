#pragma once
// RCH Nucleo register (type 6), through the maker's receipt component: a receipt is opened,
// its items and refunds printed, totalled and closed, or voided, by calls that answer 0 on
// success and leave the reason of a failure in ResultCode.
#include "RegisterComponents.h"
#include "itfFiscalPrinter.h"
#include <memory>

class clsRCHNucleo : public itfFiscalPrinter {
public:
    clsRCHNucleo();

    void NewSession(int16_t decimals) override;
    void EndSession() override;
    void CancelSession() override;
    void SendData(Currency price, int16_t quantity, const QString& description, int16_t department) override;
    void SendMessage(const QString&) override { }
    void SendDisplay(const QString&) override { }
    // The component's own description of the register.
    QString FiscalPrinterDescription() const override;
    // (0) port number; the line is closed and opens at the next receipt.
    void SetParameters(const QVariantList& params) override;

    RchNucleoComponent& RCHComm() { return *m_comm; }
    int PortNumber() const { return m_port; }

    // "Errore N.<code> (<CODE IN HEX>)", then two CRs and the message when there is one.
    static QString ErrorText(int32_t code, const QString& message);

private:
    [[noreturn]] void RaiseDriverError(int32_t code, const QString& message) const;

    std::unique_ptr<RchNucleoComponent> m_comm;
    int32_t m_openResult = 0;
    int m_port = 1;
    int16_t m_decimals = 0;
};
