#pragma once
// The one place that chooses a register driver: InitFiscalPrinter creates the driver of
// the configured type (FiscalPrinterParam.Type) and hands it its line parameters. Callers
// reach the driver through FiscalPrinter(), which raises a clear "no driver" error instead
// of handing out nothing.
#include "RegisterTypes.h"
#include "itfFiscalPrinter.h"
#include <QString>
#include <memory>
#include <optional>

// What InitFiscalPrinter made of the settings. It shows nothing itself: the window that
// asked tells the operator the refusal.
struct FiscalPrinterStart {
    bool ok = false;   // the driver stands, or there was none to create
    QString refusal;   // settings refused for a reason the operator must hear; empty otherwise
    explicit operator bool() const { return ok; }
};

// Drops the driver in use (its line closes), then, unless `release`, creates the driver
// of the configured type and passes it its parameters. Ok when the driver stands, or
// when there is none to create (release, type 99). Not ok for a type no register has, or a
// line speed the RCH components refuse (with the refusal's text). A driver that cannot start
// (a port that does not open, a maker's component this system lacks) raises its error, and
// no driver is left in use.
FiscalPrinterStart InitFiscalPrinter(bool release);

// The driver in use. Raises AppError kObjectErrorBase + itfFiscalPrinter::kNoDriverCode
// with a message for the operator when there is none; when the configured register could
// not start for want of its maker's software, that same error again.
itfFiscalPrinter& FiscalPrinter();
bool FiscalPrinterActive();

// The description a register type's driver gives itself; empty for types without driver.
QString RegisterTypeDescription(int32_t type);

// The RCH components' line codes from a port settings text: speed code 1, 2, 4, 8 or 16
// (1200 to 19200 baud) and data-bit code 3 (8 bits) or 2 (7 bits). Nullopt for any other
// speed.
struct RchLineCodes {
    int speedCode;
    int dataBitCode;
};
std::optional<RchLineCodes> RchLineCodesOf(const QString& comPortParam);
