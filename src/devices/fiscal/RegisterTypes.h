#pragma once
// Every register type the program knows, described once: the caption the options list
// offers, the name its driver gives itself, what the factory hands that driver, which
// settings the operator edits for it and what to check when the register prints nothing.
// The factory and the register options both read this one table.
#include "itfFiscalPrinter.h"
#include <QString>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>

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

// What the driver's SetParameters receives: port and settings text; the RCH line codes
// (with the model for a G2000); the port alone. None: there is no driver here.
enum class RegisterParameters { None, PortAndSettings, Rch, RchG2000, PortOnly };

// Which settings the type uses (all off: nothing to set up here).
struct RegisterControls {
    bool port = false;   // the port list
    bool portParameters = false;
    bool timeout = false;
    bool commandWait = false;
    bool receiptOptions = false;   // department, description length, the check boxes
    std::optional<int> fixedPort;   // the port the type always uses
};

struct RegisterTypeInfo {
    int32_t type;
    const char* caption;   // as the options list offers it (UTF-8)
    const char* description;   // the name its driver gives itself; null without a driver here
    RegisterParameters parameters;
    std::unique_ptr<itfFiscalPrinter> (*create)();   // null without a driver here
    RegisterControls controls;
    // What to make sure of when the register prints nothing (UTF-8); null: the general advice.
    const char* hint;
};

// In the order the options offer them: no choice (-1) first, no local driver (99) last.
std::span<const RegisterTypeInfo> RegisterTypes();
// Null for a type no register has.
const RegisterTypeInfo* FindRegisterType(int32_t type);
