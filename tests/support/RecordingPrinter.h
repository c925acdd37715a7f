#pragma once
#include "base/Currency.h"
#include "devices/fiscal/itfFiscalPrinter.h"
#include <QStringList>

// A register driver that records each call ("NewSession 2", "SendData 12.5 x1 "Pane" 1",
// "EndSession", "CancelSession") and raises a driver error on the SendData of a given row
// of each attempt, or on the first NewSession.
class RecordingPrinter final : public itfFiscalPrinter {
public:
    QStringList calls;
    int failAtRow = 0;   // 0: never
    bool failOpen = false;   // NewSession of the first attempt fails
    bool canCancel = true;

    void NewSession(int16_t decimals) override;
    void EndSession() override { calls << QStringLiteral("EndSession"); }
    void CancelSession() override { calls << QStringLiteral("CancelSession"); }
    void SendData(Currency price, int16_t quantity, const QString& description, int16_t department) override;
    void SendMessage(const QString& text) override { calls << QStringLiteral("SendMessage ") + text; }
    void SendDisplay(const QString& text) override { calls << QStringLiteral("SendDisplay ") + text; }
    QString FiscalPrinterDescription() const override { return QStringLiteral("Registratore di prova"); }
    void SetParameters(const QVariantList&) override { }
    bool CanCancelSession() const override { return canCancel; }

    // The register's total of the last receipt: the sum of price times quantity.
    Currency lastTotal() const { return m_total; }

private:
    int m_row = 0;
    int m_attempt = 0;
    Currency m_total;
};
