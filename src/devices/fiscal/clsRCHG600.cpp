#include "clsRCHG600.h"
#include "SerialRegisterDriver.h"
#include "modRCH.h"

#include <cstdlib>

namespace {
constexpr int kModel = 1;
}

clsRCHG600::clsRCHG600()
    : RchRegisterDriver(QStringLiteral("RCH G600"), kModel,
                        Keys {.digitZero = 1128,
                              .separator = 1033,
                              .departmentZero = 1063,
                              .returnKey = 1023,
                              .sessionKey = 1028,
                              .endKey = 1001})
{ }

void clsRCHG600::SendData(Currency price, int16_t quantity, const QString&, int16_t department)
{
    const bool isReturn = quantity < 0 || price.sign() < 0;
    const int q = isReturn ? std::abs(int(quantity)) : quantity;
    QString command = isReturn ? KeyCode(keys().returnKey) : QString();
    command += AmountKeys(::FormatAmount(price.abs().times(q), decimals())) + DepartmentKey(department);
    if (!RchSendCommand(command)) RaiseDriverError();
}
