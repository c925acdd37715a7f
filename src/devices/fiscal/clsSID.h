#pragma once
// SID Smart register (type 5), through its own register program over a DDE conversation:
// rows and the closing go as commands the program executes. The register program owns
// the line, and it cannot be told to void a receipt.
#include "RegisterComponents.h"
#include "itfFiscalPrinter.h"
#include <memory>
#include <optional>

class clsSID : public itfFiscalPrinter {
public:
    clsSID();

    // Opens the conversation with the register program.
    void NewSession(int16_t decimals) override;
    void EndSession() override;
    // Nothing reaches the register: see CanCancelSession.
    void CancelSession() override { }
    bool CanCancelSession() const override { return false; }
    void SendData(Currency price, int16_t quantity, const QString& description, int16_t department) override;
    void SendMessage(const QString&) override { }
    void SendDisplay(const QString&) override { }
    QString FiscalPrinterDescription() const override { return QStringLiteral("SID Smart"); }
    // The register program has its own line settings.
    void SetParameters(const QVariantList&) override { }

    SidDdeLink& Link() { return *m_link; }

    // The price as the register program reads it: "." before the decimals, no grouping, a
    // "0" before a leading point ("0.5"; "-.5" keeps its sign right before the point).
    static QString SidFormatPrice(Currency price);
    // The row command: "Plu,<description>,<price>,<department>,<quantity>".
    static QString RowCommand(Currency price, int quantity, const QString& cleanedDescription, int department);

private:
    // Has the program execute "[command]"; a failure is kept in m_pending.
    [[nodiscard]] bool SidDdeExecute(const QString& command);
    [[noreturn]] void RaiseDriverError(int32_t code, const QString& message) const;
    [[noreturn]] void RaisePending(const QString& message) const;

    std::unique_ptr<SidDdeLink> m_link;
    std::optional<AppError> m_pending;
    int16_t m_decimals = 0;
};
