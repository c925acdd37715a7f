// RCH Nucleo, SID and Olivetti ELA: what each sends for a row, and the errors it raises.
#include "ComponentFixture.h"
#include "devices/fiscal/clsOlivettiELA.h"
#include "devices/fiscal/clsRCHNucleo.h"
#include "devices/fiscal/clsSID.h"

#include <QLocale>

namespace {
Currency money(const char* text) { return *Currency::parse(QString::fromLatin1(text), QLocale::c()); }
}

// ---------------------------------------------------------------------------------------
// RCH Nucleo

using NucleoDriver = ComponentTest;

TEST_F(NucleoDriver, EveryRefusedCallRaisesTheComponentsReasonWithItsStep)
{
    struct Case {
        const char* call;
        int32_t resultCode;
        int32_t extended;
        const char* description;   // empty: the receipt goes on
    };
    const Case cases[] = {
        {"RCHOpen", 0, 0, "Errore N.7 (7)"},   // the open's own result, no step
        {"BeginFiscalReceipt", 114, 0, "Errore N.114 (72)\r\rApertura dello scontrino"},
        {"PrintRecItem", 300, 0, "Errore N.300 (12C)\r\rInvio descrizione"},
        {"PrintRecRefund", 301, 0, "Errore N.301 (12D)\r\rInvio del Reso"},
        {"PrintRecTotal", 302, 0, "Errore N.302 (12E)\r\rTotale scontrino"},
        {"EndFiscalReceipt", 114, 206, "Errore N.114 (72)\r\rChiusura dello scontrino"},
        {"EndFiscalReceipt", 114, 207, ""},   // the register closed it all the same
        {"EndFiscalReceipt", 113, 207, "Errore N.113 (71)\r\rChiusura dello scontrino"},
    };
    fakes.setDeviceDescription(QStringLiteral("RCH Nucleo di prova"));
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.call) + " " + std::to_string(c.extended));
        itfFiscalPrinter& printer = start(RegisterType::RCHNucleo);
        fakes.clearCalls();
        fakes.answerNext(QString::fromLatin1(c.call), 7);
        fakes.setResultCodes(c.resultCode, c.extended);
        auto receipt = [&] {
            printer.NewSession(2);
            printer.SendData(money("1"), 1, QStringLiteral("Pane"), 1);
            printer.SendData(money("1"), -1, QStringLiteral("Pane"), 1);
            printer.EndSession();
        };
        if (!*c.description) {
            receipt();
            EXPECT_EQ(fakes.calls().last(), QStringLiteral("RCHClose()"));
            continue;
        }
        const AppError e = raised(receipt);
        EXPECT_EQ(e.number, driverError(QString::fromLatin1(c.call) == u"RCHOpen" ? 7 : c.resultCode));
        EXPECT_EQ(e.source, QStringLiteral("RCH Nucleo di prova"));
        EXPECT_EQ(e.description, QString::fromLatin1(c.description));
        EXPECT_TRUE(calls(QStringLiteral("RCHClose")).isEmpty());   // the line stays open for the void
    }
    EXPECT_EQ(FiscalPrinter().FiscalPrinterDescription(), QStringLiteral("RCH Nucleo di prova"));
}

TEST_F(NucleoDriver, AReturnIsRefundedItsWholeAmountAndAVoidClosesTheLine)
{
    itfFiscalPrinter& printer = start(RegisterType::RCHNucleo);
    printer.NewSession(2);
    fakes.clearCalls();
    printer.SendData(money("1.50"), -2, QStringLiteral("Acqua"), 3);
    printer.SendData(money("-0.40"), 1, QStringLiteral("Vuoto"), 3);
    printer.CancelSession();
    EXPECT_EQ(fakes.calls(),
              (QStringList {"PrintRecRefund(\"ACQUA\", 3) = 0", "PrintRecRefund(\"VUOTO\", 0.4) = 0",
                            "PrintRecVoid() = 0", "RCHClose()"}));
    fakes.answerNext(QStringLiteral("PrintRecVoid"), 1);
    fakes.setResultCodes(5, 0);
    EXPECT_EQ(raised([&] { printer.CancelSession(); }).description,
              QStringLiteral("Errore N.5 (5)\r\rAnnullamento scontrino"));
}

TEST_F(NucleoDriver, ThePortGoesWithABlankWhereItsSignWouldStand)
{
    settings().FiscalPrinterParam.COMPortNumber = 12;
    start(RegisterType::RCHNucleo).NewSession(2);
    EXPECT_EQ(calls(QStringLiteral("RCHOpen")), QStringList {"RCHOpen(\" 12\") = 0"});
}

// ---------------------------------------------------------------------------------------
// SID

TEST(SidFormatPrice, PointDecimalsAndAZeroBeforeALeadingPoint)
{
    struct Case {
        const char* price;
        const char* text;
    };
    const Case cases[] = {
        {"0.89", "0.89"}, {"0.5", "0.5"},  {"12.50", "12.5"},
        {"3.00", "3"},    {"0", "0"},      {"1234.5678", "1234.5678"},   // no grouping
        {"-3", "-3"},     {"-0.5", "-.5"},   // the sign stands right before the point
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.price);
        EXPECT_EQ(clsSID::SidFormatPrice(money(c.price)), QString::fromLatin1(c.text));
    }
}

using SidDriver = ComponentTest;

TEST_F(SidDriver, RowsGoAsPluCommandsWithoutReturnsOfTheirOwn)
{
    struct Case {
        const char* price;
        int16_t quantity;
        QString description;
        int16_t department;
        const char* executed;
    };
    const Case cases[] = {
        {"0.89", 2, QStringLiteral("Latte, intero"), 3, "Execute(\"[Plu,LATTE  INTERO,0.89,3,2]\")"},
        {"0.89", -1, QStringLiteral("Latte"), 3, "Execute(\"[Plu,LATTE,0.89,3,-1]\")"},
        {"-0.5", 1, QStringLiteral("Vuoto"), 10, "Execute(\"[Plu,VUOTO,-.5,10,1]\")"},
        {"2", 1, QString(), 1, "Execute(\"[Plu,,2,1,1]\")"},
    };
    itfFiscalPrinter& printer = start(RegisterType::SIDSmart);
    printer.NewSession(2);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.executed);
        fakes.clearCalls();
        printer.SendData(money(c.price), c.quantity, c.description, c.department);
        EXPECT_EQ(fakes.calls(), QStringList {QString::fromLatin1(c.executed)});
    }
    fakes.clearCalls();
    printer.CancelSession();
    EXPECT_TRUE(fakes.calls().isEmpty());   // a void never reaches the register
}

TEST_F(SidDriver, AProgramThatIsNotRunningIsNamedInTheLinksOwnError)
{
    itfFiscalPrinter& printer = start(RegisterType::SIDSmart);
    fakes.failNext(QStringLiteral("Open"), AppError(282, QStringLiteral("DDE"), QStringLiteral("Nessuna risposta")));
    const AppError e = raised([&] { printer.NewSession(2); });
    EXPECT_EQ(e.number, 282);
    EXPECT_EQ(e.source, QStringLiteral("DDE"));
    EXPECT_EQ(
        e.description,
        QStringLiteral("Assicurarsi che l'applicazione SMARTComm (Sidcomm95) sia stata avviata\r(Nessuna risposta)"));
}

TEST_F(SidDriver, AFailedCommandRaisesTheLinksCodeOverTheBaseWhenItFits)
{
    struct Case {
        const char* name;
        int32_t code;
        int32_t number;
    };
    const Case cases[] = {
        {"a link error", 282, driverError(282)},
        {"a small negative code", -5, driverError(-5)},
        {"a code already over the base", driverError(7), driverError(7)},
        {"a code below the base", INT32_MIN, INT32_MIN},
    };
    itfFiscalPrinter& printer = start(RegisterType::SIDSmart);
    printer.NewSession(2);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fakes.failNext(QStringLiteral("Execute"), AppError(c.code, QStringLiteral("DDE"), QStringLiteral("Rifiutato")));
        const AppError e = raised([&] { printer.EndSession(); });
        EXPECT_EQ(e.number, c.number);
        EXPECT_EQ(e.source, QStringLiteral("SID Smart"));
        EXPECT_EQ(e.description,
                  QStringLiteral("Codice: %1\r\rErrore in chiusura dello scontrino\r(Rifiutato)").arg(c.code));
    }
    fakes.failNext(QStringLiteral("Execute"), AppError(282, QStringLiteral("DDE"), QStringLiteral("Rifiutato")));
    EXPECT_EQ(raised([&] { printer.SendData(money("1"), 1, QStringLiteral("Pane"), 1); }).description,
              QStringLiteral("Codice: 282\r\rErrore in invio PLU dati\r(Rifiutato)"));
}

// ---------------------------------------------------------------------------------------
// Olivetti ELA

TEST(ElaFormatAmount, ACommaBeforeTheDecimalsWhateverTheLanguage)
{
    struct Case {
        const char* value;
        int decimals;
        const char* text;
    };
    const Case cases[] = {
        {"2.5", 2, "2,5"},    {"3.00", 2, "3"},        {"12.50", 2, "12,5"},
        {"1.005", 2, "1,01"}, {"1234.5", 2, "1234,5"},   // no grouping
        {"2.5", 0, "3"},      {"0.125", 3, "0,125"},
    };
    const QLocale before;
    for (const QLocale::Language language : {QLocale::English, QLocale::Italian, QLocale::German}) {
        QLocale::setDefault(QLocale(language));
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.value) + " in " + QLocale::languageToString(language).toStdString());
            EXPECT_EQ(clsOlivettiELA::FormatAmount(money(c.value), c.decimals), QString::fromLatin1(c.text));
        }
    }
    QLocale::setDefault(before);
}

using ElaDriver = ComponentTest;

TEST_F(ElaDriver, ADeviceThatDoesNotOpenStartsNoReceipt)
{
    itfFiscalPrinter& printer = start(RegisterType::OlivettiELA);
    fakes.clearCalls();
    fakes.answerNext(QStringLiteral("DevOpen"), 7);
    const AppError e = raised([&] { printer.NewSession(2); });
    EXPECT_EQ(e.number, driverError(7));
    EXPECT_EQ(e.source, QStringLiteral("OLIVETTI (protocollo ELA)"));
    EXPECT_EQ(e.description, QStringLiteral("Errore 7"));
    EXPECT_EQ(fakes.calls(), (QStringList {"CommOpen = True", "DevOpen(line open) = 7"}));
    EXPECT_EQ(clsOlivettiELA::ElaResultText(0), QStringLiteral("OK"));
}

TEST_F(ElaDriver, NewParametersCloseAnOpenLineFirst)
{
    auto& ela = dynamic_cast<clsOlivettiELA&>(start(RegisterType::OlivettiELA));
    ela.NewSession(2);
    fakes.clearCalls();
    ela.SetParameters({3, QStringLiteral("19200,n,8,1")});
    EXPECT_EQ(fakes.calls().first(), QStringLiteral("CommOpen = False"));
    EXPECT_FALSE(ela.ELAComm().CommOpen());
}
