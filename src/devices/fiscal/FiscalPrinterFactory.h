#pragma once
// The one place that chooses a register driver: InitFiscalPrinter creates the driver of
// the configured type (FiscalPrinterParam.Type) and hands it its line parameters. Callers
// reach the driver through FiscalPrinter(), which raises a clear "no driver" error instead
// of handing out nothing.
#include "itfFiscalPrinter.h"
#include <QString>
#include <memory>
#include <optional>

// Register types (setting "Type").
namespace RegisterType {
constexpr int32_t None = -1;   // the options stored no choice
constexpr int32_t CRF4600 = 0;
constexpr int32_t RCHG600 = 1;
constexpr int32_t RCHG1200 = 2;
constexpr int32_t Ellisse = 3;
constexpr int32_t EllisseExt = 4;
constexpr int32_t SIDSmart = 5;
constexpr int32_t RCHNucleo = 6;
constexpr int32_t OmegaSAX = 7;
constexpr int32_t DSProgress = 8;
constexpr int32_t RCHG2000 = 9;
constexpr int32_t Sarema = 10;
constexpr int32_t SWEDA = 11;
constexpr int32_t OlivettiELA = 12;
constexpr int32_t NoLocalDriver = 99;   // receipts printed elsewhere: nothing here
}

// Drops the driver in use (its line closes), then, unless `release`, creates the driver
// of the configured type and passes it its parameters. True when the driver stands, or
// when there is none to create (release, type 99). False for a type no register has, or a
// line speed the RCH components refuse (after a warning). A driver that cannot start (a
// port that does not open, a maker's component this system lacks) raises its error, and
// no driver is left in use.
bool InitFiscalPrinter(bool release);

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
