#pragma once
// The register settings as the options dialog edits them, without the dialog: the
// register types offered, which settings each type uses, the setting-up hints, storing,
// and the test receipt.
#include "base/AppError.h"
#include "base/Currency.h"
#include "core/configuration/DeviceSettings.h"
#include "FiscalPrinterFactory.h"
#include "RegisterTypes.h"
#include <QList>
#include <QString>
#include <cstdint>
#include <optional>

struct RegisterChoice {
    int32_t type;
    QString caption;
};
// The types the operator chooses from, in the order offered: "[NESSUNO]" (-1) first,
// no local driver (99) last.
const QList<RegisterChoice>& RegisterChoices();

// Which settings the chosen type uses (nullopt: nothing chosen).
RegisterControls RegisterControlsFor(std::optional<int32_t> type);

// "INFORMAZIONI:" and what to check when the chosen register prints nothing; empty when
// nothing is chosen.
QString RegisterInfoText(std::optional<int32_t> type);

// Everything the dialog edits.
struct FiscalOptionsValues {
    std::optional<int32_t> type;   // nullopt: nothing chosen (stored as -1)
    int port = 0;
    QString portParameters;
    int32_t commandWait = 0;
    int32_t timeout = 0;
    int32_t defaultDepartment = 0;
    int descriptionLength = 0;
    bool currencyConversion = false;
    bool sendDescription = false;
    bool sendDisplay = false;
};
// The values in use; a stored type no choice offers gives nothing chosen.
FiscalOptionsValues CurrentFiscalOptions();
// Puts the values in use and stores them; true once stored. Errors of the store reach the
// caller.
[[nodiscard]] bool SaveFiscalOptions(const FiscalOptionsValues& values);

// The smallest amount in `decimals` (0.01 for two): the price of the test receipt's row.
Currency SmallestAmount(int decimals);
// Prints the test receipt on the register of the stored settings: a row of the smallest
// amount on department 1 and a message line, then releases the register. False when no
// driver stands for the type. A driver error reaches the caller with nothing more sent:
// neither a void nor the release.
// Settings the factory refuses are told in the result, for the dialog to show.
[[nodiscard]] FiscalPrinterStart SendTestReceipt(int16_t decimals);
// What the dialog shows for an error of the test receipt.
QString TestReceiptErrorContext(const AppError& error);
