#include "clsRCHG1200.h"
#include "core/configuration/DeviceSettings.h"
#include "FiscalDescription.h"
#include "SerialRegisterDriver.h"
#include "modRCH.h"

#include <cstdlib>

namespace {
constexpr int kLineTextLength = 20;

QString zeroPadded(int value, int width)
{
    const QString digits = QString::number(std::abs(value)).rightJustified(width, u'0');
    return value < 0 ? u'-' + digits : digits;
}

QString descriptionOf(int model)
{
    return model == clsRCHG1200::kG2000 ? QStringLiteral("RCH G2000") : QStringLiteral("RCH G1200");
}
}

clsRCHG1200::clsRCHG1200(int model)
    : RchRegisterDriver(descriptionOf(model), model,
                        Keys {.digitZero = 1200,
                              .separator = 1046,
                              .departmentZero = 1100,
                              .returnKey = 1032,
                              .sessionKey = 1040,
                              .endKey = 1001})
{ }

QString clsRCHG1200::FiscalPrinterDescription() const { return descriptionOf(RCHComm().modello()); }

bool clsRCHG1200::IsCompleted(int32_t status) const
{
    return status == RchStatus::Completed || status == RchStatus::ProcessingEnded;
}

void clsRCHG1200::SetParameters(const QVariantList& params)
{
    if (params.size() < 3) throw AppError(9, FiscalPrinterDescription(), QStringLiteral("Subscript out of range"));
    RchRegisterDriver::SetParameters(params);
    RCHComm().setParity(1);
    RCHComm().setDataBits(params.at(2).toInt());
    if (params.size() > 3) RCHComm().setModello(params.at(3).toInt() == 1 ? kG2000 : kG1200);
}

QString clsRCHG1200::ReceiptLine(int quantity, const QString& cleanedDescription, const QString& amount, int department)
{
    const QString prefix = quantity > 1 ? QStringLiteral("%1x ").arg(quantity) : QString();
    const QString text = (prefix + cleanedDescription).left(kLineTextLength).leftJustified(kLineTextLength, u' ');
    return u'#' + text + amount.rightJustified(8, u'0') + u' ' + zeroPadded(department, 2);
}

void clsRCHG1200::SendData(Currency price, int16_t quantity, const QString& description, int16_t department)
{
    const QString cleaned = CleanDescription(description, settings().FiscalPrinterParam.DescriptionLen);
    const bool isReturn = quantity < 0 || price.sign() < 0;
    int q = quantity;
    if (isReturn) {
        if (!RchSendCommand(KeyCode(keys().returnKey))) RaiseDriverError();
        q = std::abs(q);
    }
    const QString amount = ::FormatAmount(price.abs().times(q), decimals());
    const QString command = cleaned.isEmpty() ? AmountKeys(amount) + DepartmentKey(department)
                                              : ReceiptLine(quantity, cleaned, amount, department);
    if (!RchSendCommand(command)) RaiseDriverError();
}
