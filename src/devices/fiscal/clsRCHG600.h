#pragma once
// RCH G600 register (type 1), through the maker's component: every row goes as keys, a
// return row beginning with the return key; descriptions are not sent.
#include "RchRegisterDriver.h"

class clsRCHG600 : public RchRegisterDriver {
public:
    clsRCHG600();

    void SendData(Currency price, int16_t quantity, const QString& description, int16_t department) override;
    QString FiscalPrinterDescription() const override { return QStringLiteral("RCH G600"); }
};
