#include "PrintObjectSupport.h"

#include "base/AppError.h"
#include "core/configuration/Configuration.h"
#include "PrinterTarget.h"
#include "vbscript/ScriptError.h"
#include "base/UiServices.h"

#include <cmath>

namespace printobj {

std::shared_ptr<PrintTarget> printerTarget(const QString& printerName)
{
    printers::SelectPrinter(printerName);
    return PrinterTarget::forPrinter(printers::CurrentPrinterName());
}

std::shared_ptr<PrintTarget> scriptTarget(const vbs::Variant& target)
{
    if (target.isObject()) throw vbs::ScriptError(vbs::err::kTypeMismatch);
    return printerTarget(target.toString());
}

float single(const vbs::Variant& v)
{
    const double d = v.toDouble();
    if (std::abs(d) > 3.402823e38) throw vbs::ScriptError(vbs::err::kOverflow);
    return static_cast<float>(d);
}

int16_t integer(const vbs::Variant& v) { return v.toInteger(); }

QString text(const vbs::Variant& v)
{
    const vbs::Variant value = v.valueOf();
    return value.isNull() ? QString() : value.toString();
}

vbs::Variant singleValue(float v) { return vbs::Variant(QString::number(v, 'g', 7).toDouble()); }

bool rowReachesBottom(float top, float height, double scaleHeight)
{
    return double(top) + double(height) >= scaleHeight;
}

void endOnRelease(const char* what, const std::function<void()>& end)
{
    try {
        end();
    } catch (const AppError& e) {
        ui().msgBox(e.description, Msg::Critical, g_strMsgTitle);
    } catch (const std::exception& e) {
        ui().msgBox(QStringLiteral("%1: %2").arg(QString::fromLatin1(what), QString::fromUtf8(e.what())), Msg::Critical,
                    g_strMsgTitle);
    }
}

}   // namespace printobj
