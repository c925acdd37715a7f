// A receipt on each register family driven through its maker's software, call by call,
// also when one call fails; and the same registers on this system, where that software
// does not exist.
#include "ComponentFixture.h"
#include "devices/fiscal/FiscalReceipt.h"

namespace {
Currency money(const char* text) { return *Currency::parse(QString::fromLatin1(text), QLocale::c()); }

// Two pieces of bread, and a return of 3.00.
const QList<FiscalRow> kReceipt = {
    {money("1.25"), 2, QStringLiteral("Pane"), 1},
    {money("3.00"), -1, QStringLiteral("Reso latte"), 2},
};

QString send(const char* command)
{
    return QStringLiteral("RCHSend(\"100\", [\"%1\", \"\"], \"\") = 1001").arg(QString::fromLatin1(command));
}
const QString kDone = QStringLiteral("RCHResult(mStatus = 1010)");

struct Family {
    int32_t type;
    const char* settings;
    QStringList calls;   // from the driver's creation to the end of the receipt
};

void PrintTo(const Family& f, std::ostream* os) { *os << "type " << f.type; }

const QString kPaneLine = QStringLiteral("#2x PANE             00000250 01");
}

class ComponentReceipt : public ComponentTest, public ::testing::WithParamInterface<Family> { };

TEST_P(ComponentReceipt, CallsTheSoftwareInTheRegistersOrder)
{
    const Family& f = GetParam();
    settings().FiscalPrinterParam.DescriptionLen = 20;
    SendFiscalReceipt(start(f.type, QString::fromLatin1(f.settings)), 2, kReceipt);
    EXPECT_EQ(fakes.calls(), f.calls);
}

INSTANTIATE_TEST_SUITE_P(
    Families, ComponentReceipt,
    ::testing::Values(
        Family {RegisterType::RCHG600,
                "9600,n,8,1",
                {"Mode = 1", "Modello = 1", "RCHClose()", "CommPort = 1", "BaudRate = 8", "RCHOpen() = 1001",
                 send("1028"), kDone, send("1130113311281064"), kDone, send("10231131112811281065"), kDone,
                 send("1001"), kDone, "RCHClose()"}},
        Family {RegisterType::RCHG1200,
                "19200,e,7,1",
                {"Mode = 1", "Modello = 2", "RCHClose()", "CommPort = 1", "BaudRate = 16", "Parity = 1", "DataBits = 2",
                 "RCHOpen() = 1001", send("1040"), kDone, send(kPaneLine.toLatin1().constData()), kDone, send("1032"),
                 kDone, send("#RESO LATTE          00000300 02"), kDone, send("1001"), kDone, "RCHClose()"}},
        Family {RegisterType::RCHG2000,
                "9600,n,8,1",
                {"Mode = 1",
                 "Modello = 3",
                 "RCHClose()",
                 "CommPort = 1",
                 "BaudRate = 8",
                 "Parity = 1",
                 "DataBits = 3",
                 "Modello = 3",
                 "RCHOpen() = 1001",
                 send("1040"),
                 kDone,
                 send(kPaneLine.toLatin1().constData()),
                 kDone,
                 send("1032"),
                 kDone,
                 send("#RESO LATTE          00000300 02"),
                 kDone,
                 send("1001"),
                 kDone,
                 "RCHClose()"}},
        Family {RegisterType::RCHNucleo,
                "9600,n,8,1",
                {"RCHClose()", "RCHOpen(\" 1\") = 0", "AsyncMode = False", "BeginFiscalReceipt(True) = 0",
                 "PrintRecItem(\"PANE\", 2.5, 2, 0, 1.25) = 0", "PrintRecRefund(\"RESO LATTE\", 3) = 0",
                 "PrintRecTotal(0, 0, \"\") = 0", "EndFiscalReceipt(False) = 0", "RCHClose()"}},
        Family {RegisterType::SIDSmart,
                "9600,n,8,1",
                {"Open(\"Sidcomm95\", \"Sidcomm95\")", "Execute(\"[Plu,PANE,1.25,1,2]\")",
                 "Execute(\"[Plu,RESO LATTE,3,2,-1]\")", "Execute(\"[CASH]\")"}},
        Family {RegisterType::OlivettiELA,
                "9600,n,8,1",
                {"CommPort = 1", "CommSettings = \"9600,n,8,1\"", "HwHandshaking = True", "StampaDifferita = False",
                 "Timeout = 3000", "CommOpen = True", "DevOpen(line open) = 0", "Fisc_Apertura() = 0",
                 "Vendita(\"2,5\", \"PANE\", \"\") = 0", "Vendita(\"-3\", \"RESO LATTE\", \"\") = 0",
                 "Pagamento(\"\", \"\") = 0", "Fisc_Chiusura() = 0", "DevClose() = 0"}}),
    [](const ::testing::TestParamInfo<Family>& info) { return "type" + std::to_string(info.param.type); });

// A receipt that fails is left as the failure found it: the software hears nothing after
// the failed call, neither a void nor a close.
TEST_F(ComponentTest, AFailedCallIsTheLastTheSoftwareHears)
{
    struct Case {
        int32_t type;
        const char* failingCall;
        int32_t result;
    };
    const Case cases[] = {
        {RegisterType::RCHNucleo, "PrintRecItem", 1},
        {RegisterType::OlivettiELA, "Vendita", 9},
        {RegisterType::OlivettiELA, "Pagamento", 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.failingCall);
        itfFiscalPrinter& printer = start(c.type);
        fakes.clearCalls();
        fakes.answerNext(QString::fromLatin1(c.failingCall), c.result);
        EXPECT_THROW(SendFiscalReceipt(printer, 2, kReceipt), AppError);
        const QStringList all = fakes.calls();
        ASSERT_FALSE(all.isEmpty());
        EXPECT_TRUE(all.last().startsWith(QString::fromLatin1(c.failingCall) + u'('));
        EXPECT_TRUE(all.last().endsWith(QStringLiteral(" = %1").arg(c.result)));
    }
}

// The ELA closing is not checked: a receipt paid is ended, and the device closed after it.
TEST_F(ComponentTest, AnElaClosingThatAnswersAnErrorStillEndsTheReceipt)
{
    itfFiscalPrinter& printer = start(RegisterType::OlivettiELA);
    fakes.clearCalls();
    fakes.answerNext(QStringLiteral("Fisc_Chiusura"), 4);
    EXPECT_NO_THROW(SendFiscalReceipt(printer, 2, kReceipt));
    const QStringList all = fakes.calls();
    ASSERT_GE(all.size(), 2);
    EXPECT_EQ(all.mid(all.size() - 2), (QStringList {"Fisc_Chiusura() = 4", "DevClose() = 0"}));
}

// ---------------------------------------------------------------------------------------
// On this system: the makers' software does not exist

TEST_F(FiscalTest, ChoosingARegisterWhoseSoftwareIsMissingSaysSoAndEverySaleIsToldTheSame)
{
    struct Case {
        int32_t type;
        const char* source;
        const char* software;
    };
    const Case cases[] = {
        {RegisterType::RCHG600, "RCH G600", "il componente del produttore (RCHCom.RCHEcr), non disponibile"},
        {RegisterType::RCHG1200, "RCH G1200", "il componente del produttore (RCHCom.RCHEcr), non disponibile"},
        {RegisterType::RCHG2000, "RCH G2000", "il componente del produttore (RCHCom.RCHEcr), non disponibile"},
        {RegisterType::RCHNucleo, "RCH Nucleo",
         "il componente del produttore (RCHNucleo.RchEcrNucleo), non disponibile"},
        {RegisterType::SIDSmart, "SID Smart", "il programma SMARTComm, collegato via DDE (Sidcomm95), non disponibile"},
        {RegisterType::OlivettiELA, "OLIVETTI (protocollo ELA)",
         "i componenti del produttore (FISCntrl.FISControl e BOXControl.BoxControl), non disponibili"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source);
        settings().FiscalPrinterParam.Type = c.type;
        const AppError e = raised([] { InitFiscalPrinter(false); });
        EXPECT_EQ(e.number, driverError(itfFiscalPrinter::kNoDriverCode));
        EXPECT_EQ(e.source, QString::fromLatin1(c.source));
        EXPECT_EQ(e.description,
                  QStringLiteral("Codice: 5\r\rIl registratore di cassa \"%1\" richiede %2 su questo sistema")
                      .arg(QString::fromLatin1(c.source), QString::fromLatin1(c.software)));
        EXPECT_FALSE(FiscalPrinterActive());
        // The sale that reaches for the register gets the same error to show.
        const AppError atSale = raised([] { FiscalPrinter(); });
        EXPECT_EQ(atSale.number, e.number);
        EXPECT_EQ(atSale.source, e.source);
        EXPECT_EQ(atSale.description, e.description);
    }
    InitFiscalPrinter(true);
    EXPECT_EQ(raised([] { FiscalPrinter(); }).description,
              QStringLiteral("Codice: 5\r\rIl registratore di cassa non è attivato"));
}
