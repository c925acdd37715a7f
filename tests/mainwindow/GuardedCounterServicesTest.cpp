// The counter services the main window registers: while a receipt is being sent, nothing
// switches the register (and so nothing releases its driver).
#include "mainwindow/GuardedCounterServices.h"
#include "mainwindow/CounterDevices.h"
#include "RegisterShop.h"
#include "core/configuration/DeviceSettings.h"
#include "base/PrintProgress.h"
#include "operations/ReceiptService.h"

namespace {

// The recording register, with a look at the services while the receipt is open.
class WatchedPrinter final : public itfFiscalPrinter {
public:
    explicit WatchedPrinter(RecordingPrinter& inner) : m_inner(inner) { }
    std::function<void()> whileOpen;
    void NewSession(int16_t decimals) override
    {
        m_inner.NewSession(decimals);
        if (whileOpen) whileOpen();
    }
    void EndSession() override { m_inner.EndSession(); }
    void CancelSession() override { m_inner.CancelSession(); }
    void SendData(Currency price, int16_t quantity, const QString& description, int16_t department) override
    {
        m_inner.SendData(price, quantity, description, department);
    }
    void SendMessage(const QString& text) override { m_inner.SendMessage(text); }
    void SendDisplay(const QString& text) override { m_inner.SendDisplay(text); }
    QString FiscalPrinterDescription() const override { return m_inner.FiscalPrinterDescription(); }
    void SetParameters(const QVariantList& p) override { m_inner.SetParameters(p); }

private:
    RecordingPrinter& m_inner;
};

class GuardedCounter : public RegisterShop {
protected:
    GuardedCounter()
        : watched(printer),
          devices({}, ReceiptService([this]() -> itfFiscalPrinter& { return watched; }, SilentPrintProgress)),
          guarded(devices)
    {
        settings().FiscalPrinterParam = FiscalPrinterSettings {};
        article(QStringLiteral("A"));
        setCounterServices(&guarded);
    }

    RecordingPrinter printer;
    WatchedPrinter watched;
    CounterDevices devices;
    GuardedCounterServices guarded;
};

}   // namespace

TEST_F(GuardedCounter, TheRegisterCannotBeSwitchedWhileAReceiptIsOpen)
{
    bool openDuring = false;
    watched.whileOpen = [&] {
        openDuring = guarded.ReceiptOpen();
        counterServices()->SetFiscalPrinter(false);   // the toolbar, clicked while the sale waits
    };
    const qint64 sale = sell({{"A", 1, "5.00"}});
    EXPECT_TRUE(counterServices()->Send_Scontrino(*saleRows(sale)));
    EXPECT_TRUE(openDuring);
    EXPECT_FALSE(guarded.ReceiptOpen());
    EXPECT_EQ(printer.calls.last(), QStringLiteral("EndSession"));
    ASSERT_EQ(boxes().size(), 1);
    EXPECT_TRUE(boxes().first().startsWith(QStringLiteral("Lo scontrino è in corso di emissione")));
    EXPECT_FALSE(log().contains(QStringLiteral("STATUS: Registratore di cassa disattivato")));
}

TEST_F(GuardedCounter, AReceiptThatFailsStillClosesTheCount)
{
    printer.failAtRow = 1;
    prompts->addAnswer(QStringLiteral("OK"));   // the driver's error
    prompts->addAnswer(QStringLiteral("No"));   // no retry
    prompts->addAnswer(QStringLiteral("OK"));
    const qint64 sale = sell({{"A", 1, "5.00"}});
    EXPECT_FALSE(counterServices()->Send_Scontrino(*saleRows(sale)));
    EXPECT_FALSE(guarded.ReceiptOpen());
    // Now the switch works again.
    prompts->clearLog();
    counterServices()->SetFiscalPrinter(false);
    EXPECT_TRUE(log().contains(QStringLiteral("STATUS: Registratore di cassa disattivato")));
}
