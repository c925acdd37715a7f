#include "RegisterFixture.h"
#include "devices/simulators/SaxSimulator.h"
#include "devices/fiscal/clsOmegaSAX.h"

namespace {
constexpr int STX = 0x02, ETX = 0x03, ACK = 0x06, CR = 0x0D, NAK = 0x15;

Currency money(const char* text) { return *Currency::parse(QString::fromLatin1(text), QLocale::c()); }
}

TEST(SaxFrame, CheckIsTheXorInHexWithoutLeadingZero)
{
    struct Case {
        const char* command;
        const char* check;
    };
    const Case cases[] = {
        {"F", "44"},   // 02 ^ 46
        {"000N", "7C"},
        {"AB", "1"},   // 02 ^ 41 ^ 42 = 01: one digit, the frame one byte shorter
        {"", "2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        EXPECT_EQ(SaxBuildFrame(c.command), bytes({STX}) + c.command + c.check + bytes({ETX}));
    }
}

using OmegaSax = RegisterTest<SaxSimulator>;

TEST_F(OmegaSax, EveryCommandAfterTheResetCarriesTheNextNumber)
{
    itfFiscalPrinter& printer = start(RegisterType::OmegaSAX);
    printer.NewSession(2);
    printer.SendData(money("0.5"), 1, QStringLiteral("Latte"), 1);
    printer.SendData(money("1.20"), 2, QStringLiteral("pane"), 4);
    printer.SendData(money("-3"), 2, QStringLiteral("Caffè in grani extra"), 12);   // a return, cut to 15
    printer.SendData(money("1000000"), 1, QString(), 1);   // nine digits
    printer.EndSession();
    const QList<QByteArray> expected = {
        "F",
        "000N",
        "001R01LATTE          00000050",
        "002R04PANE           00000240",
        "003r12CAFFE IN GRANI 00000600",   // the cut ends on a blank, which is filled back
        "004R01               100000000",
        "005T 0        0",
    };
    EXPECT_EQ(commands(expected.size()), expected);
    EXPECT_TRUE(line->fromProgram().startsWith(bytes({STX}) + "F44" + bytes({ETX, STX}) + "000N7C" + bytes({ETX})));
}

TEST_F(OmegaSax, DescriptionsAreCutToTheShorterLimitThenFilledTo15)
{
    struct Case {
        int length;
        const char* field;
    };
    const Case cases[]
        = {{40, "ABCDEFGHIJKLMNO"}, {15, "ABCDEFGHIJKLMNO"}, {3, "ABC            "}, {0, "               "}};
    itfFiscalPrinter& printer = start(RegisterType::OmegaSAX);
    printer.NewSession(2);
    for (const Case& c : cases) {
        settings().FiscalPrinterParam.DescriptionLen = c.length;
        printer.SendData(money("1"), 1, QStringLiteral("abcdefghijklmnopqrstuvwxyz"), 1);
    }
    const QList<QByteArray> got = commands(2 + std::size(cases));
    for (int i = 0; i < int(std::size(cases)); ++i)
        EXPECT_EQ(got.value(2 + i).mid(6, 15), QByteArray(cases[i].field)) << cases[i].length;
}

// Two places hold the department before the description: a longer one is refused unsent and
// unnumbered instead of shifting the description into the department.
TEST_F(OmegaSax, ADepartmentWiderThanItsPlaceIsRefusedUnsent)
{
    itfFiscalPrinter& printer = start(RegisterType::OmegaSAX);
    printer.NewSession(2);
    for (const int16_t department : {100, -1}) {
        SCOPED_TRACE(department);
        const AppError e = raised([&] { printer.SendData(money("1"), 1, QStringLiteral("Pane"), department); });
        EXPECT_EQ(e.number, driverError(3));
        EXPECT_EQ(e.description,
                  QStringLiteral("Codice: 3\r\rReparto %1 non gestito dal registratore di cassa "
                                 "(reparti da 0 a 99)")
                      .arg(department));
    }
    printer.SendData(money("1"), 1, QStringLiteral("Pane"), 99);
    EXPECT_EQ(commands(3), (QList<QByteArray> {"F", "000N", "001R99PANE           00000100"}));
}

TEST_F(OmegaSax, CancelOpensAnew)
{
    itfFiscalPrinter& printer = start(RegisterType::OmegaSAX);
    printer.NewSession(0);
    printer.CancelSession();
    EXPECT_EQ(commands(3), (QList<QByteArray> {"F", "000N", "001N"}));
}

TEST_F(OmegaSax, OnlyTheFirstByteOfTheAnswerCounts)
{
    struct Case {
        const char* name;
        QByteArray answer;
        bool accepted;
    };
    const Case cases[] = {
        {"ACK", bytes({ACK}), true},
        {"ACK and more", bytes({ACK}) + "123" + bytes({ETX}), true},
        {"NAK", bytes({NAK}), false},
        {"CR", bytes({CR}), false},
        {"unknown", "x" + bytes({ACK}), false},
    };
    itfFiscalPrinter& printer = start(RegisterType::OmegaSAX);
    printer.NewSession(2);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sim->replaceNextAnswer(c.answer);
        try {
            printer.SendData(money("1"), 1, QString(), 4);
            EXPECT_TRUE(c.accepted);
        } catch (const AppError& e) {
            EXPECT_FALSE(c.accepted);
            EXPECT_EQ(e.number, driverError(3));
            EXPECT_EQ(e.description,
                      QStringLiteral("Codice: 3\r\rErrore di comunicazione in invio dei dati (reparto 4)"));
        }
    }
    // A failed command used its number: the next one carries the next, as the register expects.
    printer.EndSession();
    EXPECT_EQ(commands(8).back(), QByteArray("006T 0        0"));
}

TEST_F(OmegaSax, ARefusedResetNamesTheFreeCounter)
{
    itfFiscalPrinter& printer = start(RegisterType::OmegaSAX);
    sim->replaceNextAnswer(bytes({NAK}));
    const AppError e = raised([&] { printer.NewSession(2); });
    EXPECT_EQ(e.number, driverError(1));
    EXPECT_EQ(e.source, QStringLiteral("Omega SAX"));
    EXPECT_EQ(e.description,
              QStringLiteral("Codice: 1\r\rErrore di comunicazione con il registratore di cassa "
                             "(COM1-9600,n,8,1) - azzeramento free conunter"));

    sim->replaceNextAnswer(bytes({ACK}));
    sim->replaceNextAnswer(bytes({CR}));   // the opening "N"
    EXPECT_EQ(raised([&] { printer.NewSession(2); }).description,
              QStringLiteral("Codice: 1\r\rErrore di comunicazione con il registratore di cassa (COM1-9600,n,8,1)"));
}
