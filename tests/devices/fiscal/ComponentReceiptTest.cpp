// A receipt on each register family driven through its maker's software, call by call;
// the same registers on this system, where that software does not exist; and what the
// operator is asked when a receipt fails.
#include "ComponentFixture.h"
#include "FiscalReceipt.h"

namespace {
Currency money(const char* text) { return *Currency::parse(QString::fromLatin1(text), QLocale::c()); }

// Two pieces of bread, and a return of 3.00.
const QList<FiscalRow> kReceipt = {
    {money("1.25"), 2, QStringLiteral("Pane"), 1},
    {money("3.00"), -1, QStringLiteral("Reso latte"), 2},
};

QString send(const char* command) {
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

class ComponentReceipt : public ComponentTest, public ::testing::WithParamInterface<Family> {};

TEST_P(ComponentReceipt, CallsTheSoftwareInTheRegistersOrder) {
    const Family& f = GetParam();
    FiscalPrinterParam.DescriptionLen = 20;
    SendFiscalReceipt(start(f.type, QString::fromLatin1(f.settings)), 2, kReceipt);
    EXPECT_EQ(fakes.calls(), f.calls);
}

INSTANTIATE_TEST_SUITE_P(
    Families, ComponentReceipt,
    ::testing::Values(
        Family{RegisterType::RCHG600, "9600,n,8,1",
               {"Mode = 1", "Modello = 1", "RCHClose()", "CommPort = 1", "BaudRate = 8",
                "RCHOpen() = 1001", send("1028"), kDone,
                send("1130113311281064"), kDone,
                send("10231131112811281065"), kDone,
                send("1001"), kDone, "RCHClose()"}},
        Family{RegisterType::RCHG1200, "19200,e,7,1",
               {"Mode = 1", "Modello = 2", "RCHClose()", "CommPort = 1", "BaudRate = 16", "Parity = 1", "DataBits = 2",
                "RCHOpen() = 1001", send("1040"), kDone,
                send(kPaneLine.toLatin1().constData()), kDone,
                send("1032"), kDone, send("#RESO LATTE          00000300 02"), kDone,
                send("1001"), kDone, "RCHClose()"}},
        Family{RegisterType::RCHG2000, "9600,n,8,1",
               {"Mode = 1", "Modello = 3", "RCHClose()", "CommPort = 1", "BaudRate = 8", "Parity = 1", "DataBits = 3",
                "Modello = 3",
                "RCHOpen() = 1001", send("1040"), kDone,
                send(kPaneLine.toLatin1().constData()), kDone,
                send("1032"), kDone, send("#RESO LATTE          00000300 02"), kDone,
                send("1001"), kDone, "RCHClose()"}},
        Family{RegisterType::RCHNucleo, "9600,n,8,1",
               {"RCHClose()",
                "RCHOpen(\" 1\") = 0", "AsyncMode = False", "BeginFiscalReceipt(True) = 0",
                "PrintRecItem(\"PANE\", 2.5, 2, 0, 1.25) = 0",
                "PrintRecRefund(\"RESO LATTE\", 3) = 0",
                "PrintRecTotal(0, 0, \"\") = 0", "EndFiscalReceipt(False) = 0", "RCHClose()"}},
        Family{RegisterType::SIDSmart, "9600,n,8,1",
               {"Open(\"Sidcomm95\", \"Sidcomm95\")",
                "Execute(\"[Plu,PANE,1.25,1,2]\")",
                "Execute(\"[Plu,RESO LATTE,3,2,-1]\")",
                "Execute(\"[CASH]\")"}},
        Family{RegisterType::OlivettiELA, "9600,n,8,1",
               {"CommPort = 1", "CommSettings = \"9600,n,8,1\"", "HwHandshaking = True",
                "StampaDifferita = False", "Timeout = 3000",
                "CommOpen = True", "DevOpen(line open) = 0", "Fisc_Apertura() = 0",
                "Vendita(\"2,5\", \"PANE\", \"\") = 0",
                "Vendita(\"-3\", \"RESO LATTE\", \"\") = 0",
                "Pagamento(\"\", \"\") = 0", "Fisc_Chiusura() = 0", "DevClose() = 0"}}),
    [](const ::testing::TestParamInfo<Family>& info) { return "type" + std::to_string(info.param.type); });

TEST_F(ComponentTest, AFailedReceiptIsVoidedThroughTheSoftware) {
    struct Case {
        int32_t type;
        const char* failingCall;
        int32_t result;
        QStringList voiding;   // the calls after the failed one
    };
    const Case cases[] = {
        {RegisterType::RCHNucleo, "PrintRecItem", 1, {"PrintRecVoid() = 0", "RCHClose()"}},
        {RegisterType::OlivettiELA, "Vendita", 9, {"Fisc_Annullamento() = 0", "DevClose() = 0"}},
        // The register did not close the receipt: it is voided, not left open.
        {RegisterType::OlivettiELA, "Fisc_Chiusura", 4, {"Fisc_Annullamento() = 0", "DevClose() = 0"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.failingCall);
        itfFiscalPrinter& printer = start(c.type);
        fakes.clearCalls();
        fakes.answerNext(QString::fromLatin1(c.failingCall), c.result);
        EXPECT_THROW(SendFiscalReceipt(printer, 2, kReceipt), AppError);
        const QStringList all = fakes.calls();
        qsizetype failed = -1;
        for (qsizetype i = 0; i < all.size(); ++i) {
            if (all[i].startsWith(QString::fromLatin1(c.failingCall) + u'('))
                failed = i;
        }
        ASSERT_GE(failed, 0);
        EXPECT_TRUE(all[failed].endsWith(QStringLiteral(" = %1").arg(c.result)));
        EXPECT_EQ(all.mid(failed + 1), c.voiding);
    }
}

// ---------------------------------------------------------------------------------------
// On this system: the makers' software does not exist

TEST_F(FiscalTest, ChoosingARegisterWhoseSoftwareIsMissingSaysSoAndEverySaleIsToldTheSame) {
    struct Case {
        int32_t type;
        const char* source;
        const char* software;
    };
    const Case cases[] = {
        {RegisterType::RCHG600, "RCH G600", "il componente del produttore (RCHCom.RCHEcr), non disponibile"},
        {RegisterType::RCHG1200, "RCH G1200", "il componente del produttore (RCHCom.RCHEcr), non disponibile"},
        {RegisterType::RCHG2000, "RCH G2000", "il componente del produttore (RCHCom.RCHEcr), non disponibile"},
        {RegisterType::RCHNucleo, "RCH Nucleo", "il componente del produttore (RCHNucleo.RchEcrNucleo), non disponibile"},
        {RegisterType::SIDSmart, "SID Smart", "il programma SMARTComm, collegato via DDE (Sidcomm95), non disponibile"},
        {RegisterType::OlivettiELA, "OLIVETTI (protocollo ELA)",
         "i componenti del produttore (FISCntrl.FISControl e BOXControl.BoxControl), non disponibili"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source);
        FiscalPrinterParam.Type = c.type;
        const AppError e = raised([] { InitFiscalPrinter(false); });
        EXPECT_EQ(e.number, driverError(itfFiscalPrinter::kNoDriverCode));
        EXPECT_EQ(e.source, QString::fromLatin1(c.source));
        EXPECT_EQ(e.description, QStringLiteral("Codice: 5\r\rIl registratore di cassa \"%1\" richiede %2 su questo sistema")
                                     .arg(QString::fromLatin1(c.source), QString::fromLatin1(c.software)));
        EXPECT_FALSE(FiscalPrinterActive());
        // The sale that reaches for the register gets the same error to show.
        const AppError atSale = raised([] { FiscalPrinter(); });
        EXPECT_EQ(atSale.number, e.number);
        EXPECT_EQ(atSale.source, e.source);
        EXPECT_EQ(atSale.description, e.description);
    }
    InitFiscalPrinter(true);
    EXPECT_EQ(raised([] { FiscalPrinter(); }).description, QStringLiteral("Codice: 5\r\rIl registratore di cassa non è attivato"));
}

// ---------------------------------------------------------------------------------------
// The operator after a failed receipt

TEST_F(ComponentTest, AFailedReceiptIsOfferedAgainAndYesSendsItWhole) {
    itfFiscalPrinter& printer = start(RegisterType::OlivettiELA);
    fakes.clearCalls();
    fakes.answerNext(QStringLiteral("Vendita"), 3);
    ui->addAnswer(QStringLiteral("Yes"));
    EXPECT_TRUE(IssueFiscalReceipt(printer, 2, kReceipt));
    EXPECT_EQ(ui->prompts(), QStringList{ReceiptRetryQuestion()});
    EXPECT_EQ(ReceiptRetryQuestion(), QStringLiteral("Lo scontrino non e' stato stampato correttamente...\r\rVuoi riprovare ?"));
    EXPECT_EQ(calls(QStringLiteral("Fisc_Annullamento")).size(), 1);
    EXPECT_EQ(calls(QStringLiteral("Vendita")).size(), 3);   // the refused row, then both rows again
    EXPECT_EQ(calls(QStringLiteral("Fisc_Chiusura")).size(), 1);

    fakes.answerNext(QStringLiteral("Fisc_Apertura"), 3);
    ui->clearLog();
    ui->addAnswer(QStringLiteral("No"));
    EXPECT_FALSE(IssueFiscalReceipt(printer, 2, kReceipt));
    EXPECT_EQ(ui->prompts().size(), 1);
}

TEST_F(ComponentTest, ARegisterThatCannotVoidIsNotSentTheReceiptAgain) {
    itfFiscalPrinter& printer = start(RegisterType::SIDSmart);
    EXPECT_FALSE(printer.CanCancelSession());
    fakes.clearCalls();
    const AppError linkError(282, QStringLiteral("DDE"), QStringLiteral("Nessuna risposta dall'applicazione"));
    fakes.failNext(QStringLiteral("Execute"), linkError);   // the first row
    ui->addAnswer(QStringLiteral("Yes"));                    // would send it again
    EXPECT_FALSE(IssueFiscalReceipt(printer, 2, kReceipt));
    EXPECT_EQ(calls(QStringLiteral("Execute")), QStringList{"Execute(\"[Plu,PANE,1.25,1,2]\") -> error 282"});
    const QStringList told = ui->prompts();
    ASSERT_EQ(told.size(), 1);
    EXPECT_TRUE(told[0].startsWith(QStringLiteral("Lo scontrino non e' stato stampato correttamente...\r\r"
                                                  "Codice: 282\r\rErrore in invio PLU dati\r(Nessuna risposta dall'applicazione)\r\r")));
    EXPECT_TRUE(told[0].contains(QStringLiteral("annullarlo sul registratore di cassa")));
}

TEST_F(ComponentTest, ARegisterThatCannotVoidIsOfferedAgainWhenNothingReachedIt) {
    itfFiscalPrinter& printer = start(RegisterType::SIDSmart);
    fakes.clearCalls();
    fakes.failNext(QStringLiteral("Open"), AppError(282, QStringLiteral("DDE"), QStringLiteral("Nessuna risposta")));
    ui->addAnswer(QStringLiteral("Yes"));
    EXPECT_TRUE(IssueFiscalReceipt(printer, 2, kReceipt));
    EXPECT_EQ(ui->prompts(), QStringList{ReceiptRetryQuestion()});
    EXPECT_EQ(calls(QStringLiteral("Execute")).size(), 3);   // two rows and the closing, once
}
