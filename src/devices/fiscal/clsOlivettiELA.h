#pragma once
// Olivetti register on the ELA protocol (type 12), through the maker's two components:
// the fiscal device and the line it talks over. Calls answer 0 on success, else the
// register's result code, which is raised.
#include "RegisterComponents.h"
#include "itfFiscalPrinter.h"
#include <memory>

class clsOlivettiELA : public itfFiscalPrinter {
public:
    clsOlivettiELA();

    // Opens the line and the device, then the receipt.
    void NewSession(int16_t decimals) override;
    // Pays, closes the receipt and the device; a receipt the register did not close is
    // an error (the device then stays open for the void).
    void EndSession() override;
    // Voids the receipt and closes the device.
    void CancelSession() override;
    void SendData(Currency price, int16_t quantity, const QString& description, int16_t department) override;
    void SendMessage(const QString&) override { }
    void SendDisplay(const QString&) override { }
    QString FiscalPrinterDescription() const override { return QStringLiteral("OLIVETTI (protocollo ELA)"); }
    // (0) port number, (1) port settings text; the line is closed and opens at the next receipt.
    void SetParameters(const QVariantList& params) override;

    ElaLineComponent& ELAComm() { return *m_line; }
    ElaFiscalComponent& Fiscal() { return *m_fiscal; }

    // The amount as the register reads it: rounded to `decimals`, a comma before the
    // decimals whatever the workstation's language, no grouping, no trailing zeros
    // (12.50 gives "12,5", 3.00 gives "3").
    static QString FormatAmount(Currency value, int decimals);
    // "OK" for 0, else "Errore <code>".
    static QString ElaResultText(int32_t code);

private:
    [[noreturn]] void RaiseDriverError(int32_t code) const;

    std::unique_ptr<ElaFiscalComponent> m_fiscal;
    std::unique_ptr<ElaLineComponent> m_line;
    int16_t m_decimals = 0;
};
