// A sale's receipt on a simulated ELLISSE register over a pseudo-terminal, through the
// driver the register switch creates: the register hears the very receipt that the sale's
// rows make, and a register that fails is left as the failure found it.
#include "RegisterShop.h"
#include "core/configuration/DeviceSettings.h"
#include "devices/simulators/EllisseSimulator.h"
#include "devices/fiscal/FiscalPrinterFactory.h"
#include "base/PrintProgress.h"
#include "devices/simulators/RegisterSimulatorLine.h"
#include "operations/ReceiptService.h"

#include <QCoreApplication>
#include <QElapsedTimer>

class ReceiptOnRegister : public RegisterShop {
protected:
    ReceiptOnRegister()
    {
        settings().FiscalPrinterParam = FiscalPrinterSettings {};
        settings().FiscalPrinterParam.Type = RegisterType::Ellisse;
        settings().FiscalPrinterParam.Timout = 300;
        settings().FiscalPrinterParam.CommandWait = 10;
        article(QStringLiteral("A"));
        article(QStringLiteral("B"), QStringLiteral("R2"));
    }
    ~ReceiptOnRegister() override { (void)InitFiscalPrinter(true); }

    // A register of its own on COM1, with the driver switched on.
    std::unique_ptr<RegisterSimulatorLine> switchOn(const std::shared_ptr<EllisseSimulator>& sim)
    {
        (void)InitFiscalPrinter(true);
        auto line = std::make_unique<RegisterSimulatorLine>(sim);
        store->set(QStringLiteral("Devices"), QStringLiteral("COM1"), line->devicePath());
        EXPECT_TRUE(InitFiscalPrinter(false));
        return line;
    }

    // The commands the register understood, once no more come.
    static QList<QByteArray> settled(RegisterSimulator& sim)
    {
        QElapsedTimer t, quiet;
        t.start();
        quiet.start();
        qsizetype seen = -1;
        while (t.elapsed() < 3000) {
            const qsizetype now = sim.commands().size();
            if (now != seen) {
                seen = now;
                quiet.restart();
            } else if (quiet.elapsed() >= 150) {
                break;
            }
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
        return sim.commands();
    }
};

TEST_F(ReceiptOnRegister, TheRegisterHearsTheReceiptOfTheSaleRows)
{
    const qint64 s = sell({{"A", 3, "10.00"}, {"B", 2, "25.00"}, {"A", 1, "0.40"}});

    // What the register hears for the rows the sale should make, sent straight to it.
    auto expectedSim = std::make_shared<EllisseSimulator>();
    auto expectedLine = switchOn(expectedSim);
    SendFiscalReceipt(FiscalPrinter(), 2,
                      {{eur("12.50"), 2, QStringLiteral("Articolo B"), 2},
                       {eur("10.00"), 1, QStringLiteral("Articolo A"), 1},
                       {eur("0.40"), 1, QStringLiteral("Articolo A"), 1}});
    const QList<QByteArray> expected = settled(*expectedSim);
    ASSERT_FALSE(expected.isEmpty());

    auto sim = std::make_shared<EllisseSimulator>();
    auto line = switchOn(sim);
    EXPECT_TRUE(ReceiptService().Send_Scontrino(*saleRows(s)));
    EXPECT_EQ(settled(*sim), expected);
    EXPECT_TRUE(boxes().isEmpty());
}

TEST_F(ReceiptOnRegister, ARegisterThatDoesNotAnswerFailsTheReceiptAndTheSaleStays)
{
    const qint64 s = sell({{"A", 1, "4.00"}});
    auto sim = std::make_shared<EllisseSimulator>();
    auto line = switchOn(sim);
    line->setPowered(false);
    prompts->addAnswer(QStringLiteral("OK"));

    EXPECT_FALSE(ReceiptService().Send_Scontrino(*saleRows(s)));
    const QStringList shown = boxes();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].startsWith(
        QStringLiteral("Si e' verificato un errore durante l'emissione dello scontrino:\r\rCodice: 1\r\r")));
    EXPECT_EQ(saleRows(s)->RowCount(), 1);

    // Back on, the same sale prints.
    line->setPowered(true);
    sim->clearCommands();
    EXPECT_TRUE(ReceiptService().Send_Scontrino(*saleRows(s)));
    EXPECT_FALSE(settled(*sim).isEmpty());
}

TEST_F(ReceiptOnRegister, ARefusedRowLeavesTheReceiptAsTheRegisterHasIt)
{
    const qint64 s = sell({{"A", 1, "4.00"}});
    auto sim = std::make_shared<EllisseSimulator>();
    auto line = switchOn(sim);
    sim->replaceNextAnswer(QByteArray(1, 0x06));   // the receipt opens
    sim->replaceNextAnswer(QByteArray(1, 0x15));   // the row's first key is refused
    prompts->addAnswer(QStringLiteral("OK"));

    EXPECT_FALSE(ReceiptService().Send_Scontrino(*saleRows(s)));
    // Opened, one key refused; neither the clear key that would void it nor the total key.
    EXPECT_EQ(settled(*sim), (QList<QByteArray> {"064", "052"}));
    EXPECT_FALSE(prompts->hasAnswers());
}
