// RCH G600 and G1200/G2000: key-code commands, receipt lines, and the wait for the register
// to report each command carried out.
#include "ComponentFixture.h"
#include "base/Clock.h"
#include "devices/fiscal/clsRCHG1200.h"
#include "devices/fiscal/clsRCHG600.h"
#include "devices/fiscal/modRCH.h"

#include <QTimer>

namespace {
Currency money(const char* text) { return *Currency::parse(QString::fromLatin1(text), QLocale::c()); }
}

using RchDriver = ComponentTest;

TEST_F(RchDriver, RowsGoAsTheModelsKeyCodesOrAsAReceiptLine)
{
    struct Case {
        const char* name;
        int32_t type;
        const char* price;
        int16_t quantity;
        QString description;
        int16_t department;
        QStringList commands;
    };
    const QString blanks13(13, u' ');
    const Case cases[] = {
        {"G1200 12.50 on department 4", RegisterType::RCHG1200, "12.50", 1, {}, 4, {"12011202120512001104"}},
        {"G600 12.50 on department 4", RegisterType::RCHG600, "12.50", 1, {}, 4, {"11291130113311281067"}},
        // A G1200 return key is a command of its own; a G600 one leads the row's command.
        {"G1200 return of 3.00 on department 2",
         RegisterType::RCHG1200,
         "3.00",
         -1,
         {},
         2,
         {"1032", "1203120012001102"}},
        {"G600 return of 3.00 on department 2", RegisterType::RCHG600, "3.00", -1, {}, 2, {"10231131112811281065"}},
        {"G1200 return by a negative price", RegisterType::RCHG1200, "-3.00", 1, {}, 2, {"1032", "1203120012001102"}},
        {"G600 return by a negative price", RegisterType::RCHG600, "-3.00", 1, {}, 2, {"10231131112811281065"}},
        {"G1200 quantity 3 as keys of the row amount", RegisterType::RCHG1200, "0.25", 3, {}, 10, {"120712051110"}},
        {"G1200 line of 2 Pane at 1.25",
         RegisterType::RCHG1200,
         "1.25",
         2,
         QStringLiteral("Pane"),
         1,
         {"#2x PANE" + blanks13 + "00000250 01"}},
        {"G1200 line of one article: no prefix",
         RegisterType::RCHG1200,
         "1.25",
         1,
         QStringLiteral("Caffè"),
         12,
         {"#CAFFE" + QString(15, u' ') + "00000125 12"}},
        {"G1200 line with the prefix keeps 17 characters of the description",
         RegisterType::RCHG1200,
         "1",
         2,
         QStringLiteral("ABCDEFGHIJKLMNOPQRST"),
         4,
         {"#2x ABCDEFGHIJKLMNOPQ00000200 04"}},
        {"G1200 returned line: the return key, then a line without prefix",
         RegisterType::RCHG1200,
         "1.25",
         -2,
         QStringLiteral("Pane"),
         1,
         {"1032", "#PANE" + QString(16, u' ') + "00000250 01"}},
        {"G600 never sends the description",
         RegisterType::RCHG600,
         "1.25",
         2,
         QStringLiteral("Pane"),
         1,
         {"1130113311281064"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        itfFiscalPrinter& printer = start(c.type);
        printer.NewSession(2);
        fakes.clearCalls();
        printer.SendData(money(c.price), c.quantity, c.description, c.department);
        EXPECT_EQ(commands(), c.commands);
    }
}

TEST_F(RchDriver, DepartmentKeysAboveNineKeepTheirFourDigits)
{
    clsRCHG1200 g1200;
    clsRCHG600 g600;
    EXPECT_EQ(g1200.DepartmentKey(1), QStringLiteral("1101"));
    EXPECT_EQ(g1200.DepartmentKey(10), QStringLiteral("1110"));
    EXPECT_EQ(g600.DepartmentKey(1), QStringLiteral("1064"));
    EXPECT_EQ(g600.DepartmentKey(10), QStringLiteral("1073"));
    EXPECT_EQ(g1200.KeyOfChar(u','), QStringLiteral("1046"));
    EXPECT_EQ(g600.KeyOfChar(u'.'), QStringLiteral("1033"));
    EXPECT_EQ(KeyCode(7), QStringLiteral("0007"));
}

TEST_F(RchDriver, TheG2000IsAFourthParameterOfOne)
{
    struct Case {
        QVariantList params;
        const char* description;
    };
    const Case cases[] = {
        {{1, 8, 3}, "RCH G1200"},
        {{1, 8, 3, 1}, "RCH G2000"},
        {{1, 8, 3, 0}, "RCH G1200"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.description);
        clsRCHG1200 driver;
        driver.SetParameters(c.params);
        EXPECT_EQ(driver.FiscalPrinterDescription(), QString::fromLatin1(c.description));
    }
    // The type the options list calls "RCH G2000" gets that model.
    EXPECT_EQ(start(RegisterType::RCHG2000).FiscalPrinterDescription(), QStringLiteral("RCH G2000"));
    EXPECT_EQ(RegisterTypeDescription(RegisterType::RCHG2000), QStringLiteral("RCH G2000"));
}

TEST(RchStatusText, CodeInBracketsThenTheTextWhenThereIsOne)
{
    EXPECT_EQ(RchStatusText(519), QStringLiteral("[519] Comunicazione chiusa"));
    EXPECT_EQ(RchStatusText(521), QStringLiteral("[521] Errore di Timeout durante l'esecuzione del comando"));
    EXPECT_EQ(RchStatusText(1002), QStringLiteral("[1002] Nessn dato memorizzato sul registratore di cassa"));
    EXPECT_EQ(RchStatusText(999), QStringLiteral("[999] "));
}

// ---------------------------------------------------------------------------------------
// What the register reports

TEST_F(RchDriver, ACommandTheRegisterNeverCompletesTimesOutOnEveryModel)
{
    auto clock = std::make_shared<ManualClock>();
    setAppClock(clock);
    for (const int32_t type : {RegisterType::RCHG600, RegisterType::RCHG1200}) {
        SCOPED_TRACE(type);
        itfFiscalPrinter& printer = start(type);
        fakes.reportNext(std::nullopt);
        // The register's time passes while the driver waits; no real waiting.
        QTimer::singleShot(0, [&] { clock->advanceMs(settings().FiscalPrinterParam.Timout); });
        const AppError e = raised([&] { printer.NewSession(2); });
        EXPECT_EQ(e.number, driverError(521));
        EXPECT_EQ(e.source, RegisterTypeDescription(type));
        EXPECT_EQ(e.description, QStringLiteral("[521] Errore di Timeout durante l'esecuzione del comando"));
    }
    setAppClock(nullptr);
}

TEST_F(RchDriver, AStatusReportedInsteadOfCompletionIsRaisedAtOnce)
{
    struct Case {
        int32_t status;
        const char* description;
    };
    const Case cases[] = {
        {1003, "[1003] Registratore di cassa occupato"},
        {1004, "[1004] Comando non valido"},
        {1006, "[1006] Scontrino aperto"},
        {999, "[999] "},
    };
    // Long enough that a driver waiting for the time-out would be seen to wait.
    settings().FiscalPrinterParam.Timout = 5000;
    for (const int32_t type : {RegisterType::RCHG600, RegisterType::RCHG1200}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::to_string(type) + " / " + c.description);
            itfFiscalPrinter& printer = start(type);
            printer.NewSession(2);
            fakes.reportNext(c.status);
            QElapsedTimer t;
            t.start();
            const AppError e = raised([&] { printer.SendData(money("1"), 1, QString(), 1); });
            EXPECT_LT(t.elapsed(), 1000);
            EXPECT_EQ(e.number, driverError(c.status));
            EXPECT_EQ(e.description, QString::fromLatin1(c.description));
        }
    }
}

TEST_F(RchDriver, AReportThatComesWhileTheCommandIsHandedOverCounts)
{
    fakes.setReportDelivery(FakeRegisterComponents::Delivery::DuringSend);
    for (const int32_t type : {RegisterType::RCHG600, RegisterType::RCHG1200}) {
        SCOPED_TRACE(type);
        itfFiscalPrinter& printer = start(type);
        QElapsedTimer t;
        t.start();
        printer.NewSession(2);
        printer.SendData(money("2"), 1, QString(), 3);
        printer.EndSession();
        EXPECT_LT(t.elapsed(), settings().FiscalPrinterParam.Timout);
    }
}

TEST_F(RchDriver, OnlyTheG1200TakesEndOfProcessingForCompletion)
{
    itfFiscalPrinter& printer = start(RegisterType::RCHG1200);
    fakes.reportNext(RchStatus::ProcessingEnded);
    printer.NewSession(2);
    EXPECT_EQ(dynamic_cast<RchRegisterDriver&>(printer).Status(), RchStatus::ProcessingEnded);
}

TEST_F(RchDriver, CallsTheComponentRefusesRaiseTheirStatus)
{
    struct Case {
        const char* call;
        int32_t status;
        const char* description;
    };
    const Case cases[] = {
        {"RCHOpen", 519, "[519] Comunicazione chiusa"},
        {"RCHSend", 1003, "[1003] Registratore di cassa occupato"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.call);
        itfFiscalPrinter& printer = start(RegisterType::RCHG1200);
        fakes.answerNext(QString::fromLatin1(c.call), c.status);
        const AppError e = raised([&] { printer.NewSession(2); });
        EXPECT_EQ(e.number, driverError(c.status));
        EXPECT_EQ(e.source, QStringLiteral("RCH G1200"));
        EXPECT_EQ(e.description, QString::fromLatin1(c.description));
    }
}

TEST_F(RchDriver, AFailedEndLeavesTheLineOpenUntilTheVoidClosesIt)
{
    itfFiscalPrinter& printer = start(RegisterType::RCHG1200);
    printer.NewSession(2);
    fakes.clearCalls();
    fakes.reportNext(1005);
    EXPECT_THROW(printer.EndSession(), AppError);
    EXPECT_TRUE(calls(QStringLiteral("RCHClose")).isEmpty());
    printer.CancelSession();
    EXPECT_EQ(commands(), (QStringList {"1001", "1040"}));
    EXPECT_EQ(calls(QStringLiteral("RCHClose")).size(), 1);
}
