#pragma once
// The fiscal cash register as the receipt service and the register options see it. One
// driver class per register family implements it; InitFiscalPrinter (FiscalPrinterFactory.h)
// is the only place that chooses the class.
#include "base/AppError.h"
#include "base/Currency.h"
#include <QString>
#include <QVariantList>
#include <cstdint>
#include <optional>

class SerialChannel;

class itfFiscalPrinter {
public:
    // A failed operation raises AppError with kObjectErrorBase plus its code, the driver's
    // FiscalPrinterDescription() as source and "Codice: <code>" (then two CRs and the
    // reason) as description.
    static constexpr int32_t kNewSessionCode = 1;
    static constexpr int32_t kEndSessionCode = 2;
    static constexpr int32_t kSendDataCode = 3;
    static constexpr int32_t kCancelSessionCode = 4;
    // No driver to talk to: none configured on this workstation, or the register needs a
    // maker's component that this system does not have.
    static constexpr int32_t kNoDriverCode = 5;

    virtual ~itfFiscalPrinter() = default;

    // Opens a receipt. `decimals`: those of the currency the caller gives amounts in; the
    // driver rounds every amount of the session to them.
    virtual void NewSession(int16_t decimals) = 0;
    virtual void EndSession() = 0;   // totals and pays the open receipt
    virtual void CancelSession() = 0;   // voids it
    // One row: unit price, quantity, description, register department. A negative price
    // or a negative quantity makes the row a return.
    virtual void SendData(Currency price, int16_t quantity, const QString& description, int16_t department) = 0;
    virtual void SendMessage(const QString& text) = 0;   // a free line on the receipt
    virtual void SendDisplay(const QString& text) = 0;   // a text for the customer display
    virtual QString FiscalPrinterDescription() const = 0;
    // The line parameters the factory computed for this register type.
    virtual void SetParameters(const QVariantList& params) = 0;
    // False for a register that cannot be told to void a receipt: CancelSession does
    // nothing, and what was sent of a failed receipt stays charged on it.
    virtual bool CanCancelSession() const { return true; }
    // The serial line the driver talks on, for whoever must hear that it was lost; null for
    // a register reached through its maker's software.
    virtual SerialChannel* Line() { return nullptr; }

    // For cleanup paths (another error is already on its way): voids the open receipt
    // and never throws. Gives back what the void met, if it failed.
    std::optional<AppError> CancelSessionQuietly() noexcept;
};

// The description of a driver failure: "Codice: <code>", then two CRs and the message
// when there is one.
QString DriverErrorText(int32_t code, const QString& message);
