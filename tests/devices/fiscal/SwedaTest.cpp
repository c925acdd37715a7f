#include "RegisterFixture.h"
#include "devices/simulators/SwedaSimulator.h"
#include "devices/fiscal/clsSWEDA.h"

namespace {
constexpr int EOT = 0x04, CR = 0x0D;

Currency money(const char* text) { return *Currency::parse(QString::fromLatin1(text), QLocale::c()); }
}

TEST(SwedaAnswers, EveryErrorCodeFindsItsText)
{
    struct Case {
        QByteArray answer;
        const char* text;
    };
    const Case cases[] = {
        {"E1\r", "Chiave Errata"},
        {"E2\r", "Errore fine carta Scontrino o Giornale o Batteria scarica"},
        {"e2\r", "Errore fine carta Scontrino o Giornale o Batteria scarica"},
        {"E3", "Obbligo Subtotale"},
        {"E5\r\r", "Subtotale Negativo"},
        {"E6\r", "Sequenza Errata"},
        {"E7\r", "M.F. in Esaurimento o Guasta o Init M.F. o Iva IN Rapp.Fisc."},
        {"E8\r", "Fine Memoria"},
        {"E9\r", "Errore Stampante"},
        {"E20\r", "M.F. Esaurita"},
        {"E44\r", "Sequenza Errata"},
        {"E50\r", "Disturbi Seriale"},
        {"E51\r", "Errore Parità"},
        {"E52\r", "Errore Overrun"},
        {"E53\r", "Errore Framing"},
        {"E69\r", "Errore Stringa Dati"},
        {"e84\r", "Codice Inesistente"},
        {"ERR E53\r", "Errore Framing"},   // text before the code
        {bytes({EOT}) + "E9\r", "Errore Stampante"},
        {bytes({EOT, CR}), "Comando eseguito con successo"},
        {bytes({EOT}) + "OK\r", "Comando eseguito con successo"},
        {"E10\r", ""},   // no such code
        {"E4\r", ""},
        {"OK\r", ""},
        {"5\r", ""},
        {"", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer.toStdString());
        EXPECT_EQ(clsSWEDA::GetErrDescription(c.answer), QString::fromUtf8(c.text));
    }
}

using Sweda = RegisterTest<SwedaSimulator>;

TEST_F(Sweda, CommandsBeginWithKxAndEndWithCr)
{
    itfFiscalPrinter& printer = start(RegisterType::SWEDA);
    printer.NewSession(2);
    printer.SendData(money("1.20"), 3, QStringLiteral("Pane"), 4);
    printer.SendData(money("-1.20"), 1, QStringLiteral("Pane"), 4);   // a return: the amount keeps its sign
    printer.SendData(money("0.5"), -2, QStringLiteral("Olio!"), 12);
    printer.SendData(money("1"), 12, QStringLiteral("Biscotti al cioccolato"), 1);   // the count is cut away
    printer.EndSession();
    printer.CancelSession();
    const QList<QByteArray> expected = {
        "KXCL",
        "KX00000360R4Pane3x ",
        "KX-00000120R4Pane",
        "KX-00000100R12Olio ",
        "KX00001200R1Biscotti al cioccola",
        "KXT1",
        "KXCL",
    };
    EXPECT_EQ(commands(expected.size()), expected);
    EXPECT_TRUE(line->fromProgram().startsWith("KXCL\rKX00000360R4Pane3x \r"));
}

TEST_F(Sweda, TheRegistersReasonEndsTheErrorMessage)
{
    struct Case {
        QByteArray answer;
        const char* description;
    };
    const Case cases[] = {
        {"E8\r", "Codice: 2\r\rErrore in chiusura scontrino, Fine Memoria"},
        {"e2\r",
         "Codice: 2\r\rErrore in chiusura scontrino, Errore fine carta Scontrino o Giornale o Batteria scarica"},
        {"XYZ\r", "Codice: 2\r\rErrore in chiusura scontrino, Esito non riconosciuto [XYZ\r] "},
    };
    itfFiscalPrinter& printer = start(RegisterType::SWEDA);
    printer.NewSession(2);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer.toStdString());
        sim->replaceNextAnswer(c.answer);
        const AppError e = raised([&] { printer.EndSession(); });
        EXPECT_EQ(e.number, driverError(2));
        EXPECT_EQ(e.source, QStringLiteral("SWEDA ECR (mwcr)"));
        EXPECT_EQ(e.description, QString::fromUtf8(c.description));
    }
    // EOT anywhere in the answer means carried out.
    sim->replaceNextAnswer("OK" + bytes({EOT, CR}));
    printer.EndSession();

    sim->replaceNextAnswer("E6\r");
    EXPECT_EQ(raised([&] { printer.SendData(money("1"), 1, QString(), 5); }).description,
              QStringLiteral("Codice: 3\r\rErrore in invio dei dati (reparto 5), Sequenza Errata"));
    sim->replaceNextAnswer("E1\r");
    EXPECT_EQ(raised([&] { printer.CancelSession(); }).description,
              QStringLiteral("Codice: 4\r\rErrore in annullamento scontrino, Chiave Errata"));
}

TEST_F(Sweda, ASilentRegisterLeavesTheMessageEndingInAComma)
{
    itfFiscalPrinter& printer = start(RegisterType::SWEDA);
    line->setPowered(false);
    QElapsedTimer t;
    t.start();
    const AppError e = raised([&] { printer.NewSession(2); });
    EXPECT_LT(t.elapsed(), 1000);
    EXPECT_EQ(e.description,
              QStringLiteral("Codice: 1\r\rErrore di comunicazione con il registratore di cassa (COM1-9600,n,8,1), "));
}

TEST_F(Sweda, AWriteFailureReportsTheLinesOwnReason)
{
    itfFiscalPrinter& printer = start(RegisterType::SWEDA);
    printer.NewSession(2);
    dynamic_cast<SerialRegisterDriver&>(printer).comm().close();
    const AppError e = raised([&] { printer.EndSession(); });
    EXPECT_EQ(e.number, driverError(2));
    EXPECT_TRUE(e.description.startsWith(QStringLiteral("Codice: 2\r\rErrore in chiusura scontrino, La porta ")));
}

// The register's CR may come well after the rest of its answer: EOT, then the CR half a
// second later, when the next command has already gone. That CR ends the earlier answer;
// it is never the next command's answer, and the row the register accepted is not
// reported as failed.
TEST_F(Sweda, ALateCrEndsTheEarlierAnswerNotTheNextOne)
{
    itfFiscalPrinter& printer = start(RegisterType::SWEDA);
    settings().FiscalPrinterParam.Timout = 1500;
    sim->replaceNextAnswer(SimulatorOutput {{0, bytes({EOT})}, {500, bytes({CR})}});
    printer.NewSession(2);
    printer.SendData(money("1.20"), 1, QStringLiteral("Pane"), 4);
    printer.EndSession();
    EXPECT_EQ(commands(3), (QList<QByteArray> {"KXCL", "KX00000120R4Pane", "KXT1"}));

    // A CR alone that waits on the line when a command goes is no answer either.
    line->send(bytes({CR}));
    printer.EndSession();
}
