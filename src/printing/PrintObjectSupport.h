#pragma once
// What the two print objects share: choosing the target, reading script arguments, the
// page-break rule and the report of an end that failed on release.
#include "PrintTarget.h"
#include "vbscript/Variant.h"

#include <QString>
#include <functional>
#include <memory>

namespace printobj {

// The target for a printer's device name (see clsScriptPrinter::SetPrinter).
std::shared_ptr<PrintTarget> printerTarget(const QString& printerName);
// The target a script names: only a printer's device name can come from a script.
std::shared_ptr<PrintTarget> scriptTarget(const vbs::Variant& target);

float single(const vbs::Variant& v);   // a Single argument
int16_t integer(const vbs::Variant& v);   // an Integer argument
QString text(const vbs::Variant& v);   // a String argument; Null prints as nothing
vbs::Variant singleValue(float v);   // a Single as scripts read it back (7 digits)

// True when the bottom of a row of `height` starting at `top` (margin included) reaches the
// bottom of the drawing area, `scaleHeight` high: the row belongs on a new page.
bool rowReachesBottom(float top, float height, double scaleHeight);

// Runs the end of a document on release: a failure cannot reach a caller any more, so it
// is shown to the user.
void endOnRelease(const char* what, const std::function<void()>& end);

}   // namespace printobj
