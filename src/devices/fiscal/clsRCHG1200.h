#pragma once
// RCH G1200 and G2000 registers (types 2 and 9), through the maker's component: a row
// with a description goes as one receipt line, one without as keys.
#include "RchRegisterDriver.h"

class clsRCHG1200 : public RchRegisterDriver {
public:
    static constexpr int kG1200 = 2;   // the component's "Modello"
    static constexpr int kG2000 = 3;

    explicit clsRCHG1200(int model = kG1200);

    void SendData(Currency price, int16_t quantity, const QString& description, int16_t department) override;
    // "RCH G2000" when the component is set to that model, else "RCH G1200".
    QString FiscalPrinterDescription() const override;
    // (0) port, (1) speed code, (2) data-bit code, and optionally (3): 1 for a G2000.
    void SetParameters(const QVariantList& params) override;

    // The receipt line of a row: "#", the quantity prefix ("3x ") and the description in
    // 20 characters, the amount in at least 8 digits, a blank, the department in 2.
    static QString ReceiptLine(int quantity, const QString& cleanedDescription, const QString& amount, int department);

protected:
    bool IsCompleted(int32_t status) const override;
};
