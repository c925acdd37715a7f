#include "RegisterFixture.h"
#include "devices/simulators/DsProgressSimulator.h"

namespace {
constexpr int EOT = 0x04, CR = 0x0D;

Currency money(const char* text) { return *Currency::parse(QString::fromLatin1(text), QLocale::c()); }
}

using DsProgress = RegisterTest<DsProgressSimulator>;

TEST_F(DsProgress, KeyCommandsEndedByCr)
{
    settings().FiscalPrinterParam.DescriptionLen = 40;
    itfFiscalPrinter& printer = start(RegisterType::DSProgress);
    printer.NewSession(2);
    printer.SendData(money("1.20"), 2, QStringLiteral("Pane"), 4);
    printer.SendData(money("1.20"), -2, QStringLiteral("Pane"), 4);   // a return
    printer.SendData(money("-0.5"), 1, QString(), 0);   // a return, no description
    printer.SendData(money("1"), 1, QStringLiteral("Formaggio grattugiato stagionato"), 9);   // cut to 22
    printer.EndSession();
    printer.CancelSession();
    const QList<QByteArray> expected = {
        "KXCL", "KR240R4PANE", "KR-240R4PANE", "KR-50R0", "KR100R9FORMAGGIO GRATTUGIATO", "KRT1", "KXCL",
    };
    EXPECT_EQ(commands(expected.size()), expected);
    EXPECT_TRUE(line->fromProgram().startsWith("KXCL\rKR240R4PANE\r"));
}

TEST_F(DsProgress, ADepartmentWithoutAKeyIsRefusedNotSentAsAnother)
{
    itfFiscalPrinter& printer = start(RegisterType::DSProgress);
    printer.NewSession(2);
    for (const int16_t department : {10, 12, 99, -1}) {
        SCOPED_TRACE(department);
        const AppError e = raised([&] { printer.SendData(money("1"), 1, QString(), department); });
        EXPECT_EQ(e.number, driverError(3));
        EXPECT_EQ(e.source, QStringLiteral("DSProgress"));
        EXPECT_EQ(e.description,
                  QStringLiteral("Codice: 3\r\rReparto %1 non gestito dal registratore di cassa "
                                 "(reparti da 0 a 9)")
                      .arg(department));
    }
    printer.SendData(money("1"), 1, QString(), 9);
    EXPECT_EQ(commands(2), (QList<QByteArray> {"KXCL", "KR100R9"}));
}

TEST_F(DsProgress, AnAnswerInPiecesIsJoinedUntilItsEnd)
{
    itfFiscalPrinter& printer = start(RegisterType::DSProgress);
    printer.NewSession(2);
    // Pauses shorter than half the time-out keep the answer going.
    sim->replaceNextAnswer(SimulatorOutput {{0, "OK"}, {100, bytes({EOT})}, {100, bytes({CR})}});
    printer.SendData(money("1"), 1, QString(), 1);

    sim->replaceNextAnswer(SimulatorOutput {{0, "OK"}, {kTimeoutMs / 2 + 100, bytes({EOT, CR})}});
    const AppError e = raised([&] { printer.SendData(money("1"), 1, QString(), 1); });
    EXPECT_EQ(e.description, QStringLiteral("Codice: 3\r\rErrore di comunicazione in invio dei dati (reparto 1)"));
}

TEST_F(DsProgress, FailuresCarryTheCodeOfTheirOperation)
{
    itfFiscalPrinter& printer = start(RegisterType::DSProgress);
    sim->replaceNextAnswer(bytes({CR}));   // no EOT before the CR
    EXPECT_EQ(raised([&] { printer.NewSession(2); }).description,
              QStringLiteral("Codice: 1\r\rErrore di comunicazione con il registratore di cassa (COM1-9600,n,8,1)"));
    printer.NewSession(2);
    sim->replaceNextAnswer(bytes({EOT}));
    EXPECT_EQ(raised([&] { printer.EndSession(); }).description,
              QStringLiteral("Codice: 2\r\rErrore di comunicazione in chiusura dello scontrino"));
    sim->replaceNextAnswer("x");
    EXPECT_EQ(raised([&] { printer.CancelSession(); }).description,
              QStringLiteral("Codice: 4\r\rErrore di comunicazione in annullamento dello scontrino"));
}
