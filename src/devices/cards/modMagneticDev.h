#pragma once
// The card reader in use: the one place that chooses a driver class for the configured
// reader type, the reader's code filter, and the reading of a customer code out of a card
// text. The settings themselves ("MagneticDevParam") are loaded with the configuration
// (DeviceSettings.h).
#include <QString>
#include <cstdint>

class itfMagneticCard;
class ScriptCodeFilter;

// Reader types, as stored in "Type".
namespace MagneticDevType {
constexpr int32_t MSR106 = 0;
constexpr int32_t MSR206HLHigh = 1;   // high coercivity
constexpr int32_t MSR206HLLow = 2;   // low coercivity
constexpr int32_t KeyboardEmulation = 9999;   // no driver: the code is typed into the card dialog
}

// Releases the driver in use; then, unless `release`, creates the driver of the configured
// type and hands it the port parameters (the port stays closed). True for a known type,
// keyboard emulation included (which creates no driver); false for a type outside the
// table. Errors of the driver's set-up reach the caller, and leave no driver.
bool InitMagneticDevice(bool release);
// Whether a driver is in use. Keyboard emulation and unknown types have none.
bool MagneticDeviceExists();
// The driver in use; raises an AppError when there is none, so a caller that forgot to
// ask MagneticDeviceExists() gets a message instead of a crash.
itfMagneticCard& objMagneticDevice();

// A reader on a port, or keyboard emulation: the sale form offers reading a card.
bool IsMagneticDevConfigured();
// Whether the configured reader can write cards (never without a port). Creates the driver
// for the question when none is in use.
bool DeviceSupportsWrite();

// The code as CodeFilter(sOriginalCode) returns it; `script` empty runs the stored filter,
// else `script` alone, once (a test run: the filter in use is left as it was).
[[nodiscard]] QString ApplyCodeFilter(const QString& code, const QString& script = QString());
ScriptCodeFilter& CodeFilterInUse();

// The customer code in a card text: filtered; start ("%" ";") and end ("_" "?") sentinels
// removed; reversed when `reverse` and a sentinel was there; `prefix` (any case) required
// and removed. Empty when the filter annuls the text or the prefix does not match.
[[nodiscard]] QString ExtractCardCode(const QString& raw, const QString& prefix, bool reverse);
