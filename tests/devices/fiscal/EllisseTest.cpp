#include "RegisterFixture.h"
#include "devices/simulators/EllisseSimulator.h"
#include "devices/simulators/ScriptedSerialChannel.h"
#include "devices/fiscal/clsEllisse.h"
#include "devices/fiscal/clsEllisseExt.h"
#include "devices/fiscal/modEllisse.h"

#include <QTimer>

namespace {
constexpr int STX = 0x02, ETX = 0x03, EOT = 0x04, ACK = 0x06, NAK = 0x15;

QByteArray frameOf(const char* text, const char* check)
{
    return char(STX) + QByteArray(text) + char(EOT) + QByteArray(check) + char(ETX);
}
}

// ---------------------------------------------------------------------------------------
// Frames

TEST(EllisseFrame, TextEotCheckBetweenStxAndEtx)
{
    struct Case {
        const char* text;
        QByteArray frame;
    };
    const Case cases[] = {
        {"064", bytes({0x02, 0x30, 0x36, 0x34, 0x04, 0x41, 0x30, 0x03})},   // 48+54+52+2+4 = 160
        {"000", frameOf("000", "96")},
        {"720 ", frameOf("720 ", "BF")},
        {"005", frameOf("005", "9B")},
        {"WWW", frameOf("WWW", "0B")},   // a check below 16 keeps its leading zero
        {"", frameOf("", "06")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(EllBuildFrame(c.text), c.frame);
        EXPECT_EQ(EllisseSimulator::frame(c.text), c.frame);   // the register agrees
    }
}

TEST(EllisseFrame, ParseTakesTheFirstFrameOnlyWhenItIsExact)
{
    struct Case {
        const char* name;
        QByteArray data;
        QByteArray text;
    };
    const Case cases[] = {
        {"one frame", frameOf("700", "9D"), "700"},
        {"two frames", frameOf("701", "9E") + frameOf("000", "96"), "701"},
        {"noise first", "xx" + frameOf("064", "A0"), "064"},
        {"lower-case check", frameOf("07a", "c8"), ""},
        {"wrong check", frameOf("064", "A1"), ""},
        {"no ETX", QByteArray(frameOf("064", "A0")).chopped(1), ""},
        {"no STX",
         "064\x04"
         "A0\x03",
         ""},
        {"EOT not before the check", frameOf("06", "4A0"), ""},
        {"empty", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(EllParseFrame(c.data), c.text);
    }
}

// ---------------------------------------------------------------------------------------
// Exchanges, on a scripted line

class EllisseExchange : public FiscalTest {
protected:
    void SetUp() override
    {
        FiscalTest::SetUp();
        comm.open();
    }
    ScriptedSerialChannel comm;
};

TEST_F(EllisseExchange, AnswersAcceptRefuseOrCarryFramesWithTheirStatus)
{
    struct Case {
        const char* name;
        QByteArray answer;
        bool accepted;
        QByteArray replies;
    };
    const Case cases[] = {
        {"ACK", bytes({ACK}), true, ""},
        {"NAK", bytes({NAK}), false, ""},
        {"anything else", "?", false, ""},
        {"status 0", EllBuildFrame("700"), true, "700"},
        {"status 1", EllBuildFrame("701"), false, "701"},
        {"two frames, one good", EllBuildFrame("701") + EllBuildFrame("120"), true, "701\r\n120"},
        {"second frame broken", EllBuildFrame("700") + frameOf("120", "00"), true, "700"},
        {"no closing ETX", EllBuildFrame("700").chopped(1), false, ""},
        {"lower-case check", frameOf("07a", "c8"), false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        comm.expect(EllBuildFrame("064"), c.answer);
        QByteArray replies = "old";
        EXPECT_EQ(EllSendCommand("064", comm, replies), c.accepted);
        EXPECT_EQ(replies, c.replies);
        EXPECT_EQ(comm.bytesAvailable(), 0);   // nothing of this answer is left for the next
    }
}

TEST_F(EllisseExchange, AFrameAnswerIsAcknowledgedWithItsCodeAndZero)
{
    comm.deliver(EllBuildFrame("701"));
    QByteArray replies;
    EXPECT_FALSE(EllReadReply(comm, replies, true));   // acknowledged whatever its status
    EXPECT_EQ(comm.writes(), QList<QByteArray> {EllBuildFrame("700")});

    comm.clearWritten();
    comm.deliver(bytes({ACK}));
    EXPECT_TRUE(EllReadReply(comm, replies, true));
    EXPECT_TRUE(comm.writes().isEmpty());   // a single-byte answer needs no acknowledgement
}

TEST_F(EllisseExchange, ARegisterThatNeverAnswersFailsWhenTheTimeoutRunsOut)
{
    QElapsedTimer t;
    t.start();
    QByteArray replies;
    EXPECT_FALSE(EllSendCommand("064", comm, replies));
    EXPECT_GE(t.elapsed(), kTimeoutMs - 20);
    EXPECT_LT(t.elapsed(), kTimeoutMs + 1000);
}

TEST_F(EllisseExchange, TwoPhaseRecordsReadTheResultAndCloseWithZeros)
{
    const QByteArray record = clsEllisseExt::ClosingRecord();
    comm.expect(EllBuildFrame(record), bytes({ACK}) + EllBuildFrame("740"));   // result at once
    comm.expect(EllBuildFrame("000"), bytes({ACK}));
    QByteArray replies;
    EXPECT_TRUE(EllSendCommandEx(record, comm, replies));
    EXPECT_EQ(comm.writes(), (QList<QByteArray> {EllBuildFrame(record), EllBuildFrame("740"), EllBuildFrame("000")}));

    // Below code 70 a record has one phase only.
    comm.clearWritten();
    comm.expect(EllBuildFrame("5100-X"), bytes({ACK}));
    EXPECT_TRUE(EllSendCommandEx("5100-X", comm, replies));
    EXPECT_EQ(comm.writes(), QList<QByteArray> {EllBuildFrame("5100-X")});
}

TEST_F(EllisseExchange, ATwoPhaseRecordFailsOnARefusedResultWithoutClosing)
{
    comm.expect(EllBuildFrame("720 "), bytes({ACK}) + EllBuildFrame("721"));
    QByteArray replies;
    EXPECT_FALSE(EllSendCommandEx("720 ", comm, replies));
    EXPECT_EQ(comm.writes(), (QList<QByteArray> {EllBuildFrame("720 "), EllBuildFrame("720")}));
}

// ---------------------------------------------------------------------------------------
// Keystroke driver (type 3) against the register

using EllisseKeys = RegisterTest<EllisseSimulator>;

TEST_F(EllisseKeys, AReceiptIsTheKeysOfItsAmountsAndDepartments)
{
    itfFiscalPrinter& printer = start(RegisterType::Ellisse);
    printer.NewSession(2);
    printer.SendData(*Currency::parse(QStringLiteral("2.5")), 3, QStringLiteral("ignored"), 2);
    printer.SendData(*Currency::parse(QStringLiteral("-1.20")), 1, QString(), 4);   // a return
    printer.SendData(*Currency::parse(QStringLiteral("1.005")), 1, QString(), 1);   // rounded half up: 101
    printer.SendData(*Currency::parse(QStringLiteral("0.60")), -2, QString(), 12);   // a return by quantity
    printer.EndSession();
    const QList<QByteArray> expected = {
        "064", "055", "053", "048", "072",   // 750, department 2
        "121", "049", "050", "048", "074",   // return, 120, department 4
        "049", "048", "049", "071",   // 101, department 1
        "121", "049", "050", "048", "082",   // return, 120, department 12
        "005",
    };
    EXPECT_EQ(commands(expected.size()), expected);
    EXPECT_TRUE(line->fromProgram().startsWith(bytes({0x02, 0x30, 0x36, 0x34, 0x04, 0x41, 0x30, 0x03})));
}

TEST_F(EllisseKeys, CancelPressesTheClearKey)
{
    itfFiscalPrinter& printer = start(RegisterType::Ellisse);
    printer.NewSession(0);
    printer.SendData(Currency::fromInt(7), 1, QString(), 1);
    printer.CancelSession();
    EXPECT_EQ(commands(4), (QList<QByteArray> {"064", "055", "071", "064"}));
}

TEST_F(EllisseKeys, AMuteRegisterFailsWithinItsTimeout)
{
    itfFiscalPrinter& printer = start(RegisterType::Ellisse);
    line->setPowered(false);
    QElapsedTimer t;
    t.start();
    const AppError e = raised([&] { printer.NewSession(2); });
    EXPECT_LT(t.elapsed(), 1000);
    EXPECT_EQ(e.number, int32_t(0x80040001u));
    EXPECT_EQ(e.source, QStringLiteral("Omega ELLISSE"));
    EXPECT_EQ(e.description,
              QStringLiteral("Codice: 1\r\rErrore di comunicazione con il registratore di cassa (COM1-9600,n,8,1)"));
}

TEST_F(EllisseKeys, ARefusedKeyNamesTheKeyInTheError)
{
    struct Case {
        int refusedAt;   // commands of the row accepted before the refusal
        QString message;
    };
    const Case cases[] = {
        {0, QStringLiteral("Errore di comunicazione in invio del Reso (tasto 121)")},
        {2, QStringLiteral("Errore di comunicazione in invio dei dati (tasto 2)")},
        {4, QStringLiteral("Errore di comunicazione in invio dei dati (reparto 4)")},
    };
    itfFiscalPrinter& printer = start(RegisterType::Ellisse);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.refusedAt);
        printer.NewSession(2);
        for (int i = 0; i < c.refusedAt; ++i) sim->replaceNextAnswer(bytes({ACK}));
        sim->replaceNextAnswer(bytes({NAK}));
        const AppError e
            = raised([&] { printer.SendData(*Currency::parse(QStringLiteral("-1.20")), 1, QString(), 4); });
        EXPECT_EQ(e.number, driverError(3));
        EXPECT_EQ(e.description, QStringLiteral("Codice: 3\r\r") + c.message);
    }
}

TEST_F(EllisseKeys, EndAndCancelFailuresCarryTheirOwnCodes)
{
    itfFiscalPrinter& printer = start(RegisterType::Ellisse);
    printer.NewSession(2);
    sim->replaceNextAnswer(bytes({NAK}));
    EXPECT_EQ(raised([&] { printer.EndSession(); }).description,
              QStringLiteral("Codice: 2\r\rErrore di comunicazione in chiusura dello scontrino"));
    sim->replaceNextAnswer(bytes({NAK}));
    const AppError e = raised([&] { printer.CancelSession(); });
    EXPECT_EQ(e.number, driverError(4));
    EXPECT_EQ(e.description, QStringLiteral("Codice: 4\r\rErrore di comunicazione in annullamento dello scontrino"));
}

// ---------------------------------------------------------------------------------------
// Extended driver (type 4) against the register

TEST(EllisseRecords, SaleDescriptionClosingAndCancellingRecords)
{
    struct SaleCase {
        char flag;
        const char* amount;
        int department;
        int quantity;
        const char* record;
    };
    const SaleCase sales[] = {
        {'p', "250", 2, 3, "700p000000025002000000000000000000000030                00"},
        {'8', "120", 4, 1, "7008000000012004000000000000000000000000                00"},
        {'0', "1234567890", 12, 25, "7000123456789012000000000000000000000250                00"},
    };
    for (const SaleCase& c : sales) {
        SCOPED_TRACE(c.record);
        const QByteArray r = clsEllisseExt::SaleRecord(c.flag, QString::fromLatin1(c.amount), c.department, c.quantity);
        EXPECT_EQ(r, QByteArray(c.record));
        EXPECT_EQ(r.size(), 58);
    }

    struct DescriptionCase {
        QString cleaned;
        const char* record;
    };
    const DescriptionCase descriptions[] = {
        {QStringLiteral("PANE"), "5100-PANE                           0"},
        {QStringLiteral("   OLIO"), "5100-OLIO                           0"},   // no leading blanks
        {QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789"), "5100-ABCDEFGHIJKLMNOPQRSTUVWXYZ012340"},
        {QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123 56789"),
         "5100-ABCDEFGHIJKLMNOPQRSTUVWXYZ0123 0"},   // cut at a blank
    };
    for (const DescriptionCase& c : descriptions) {
        SCOPED_TRACE(c.record);
        const QByteArray r = clsEllisseExt::DescriptionRecord(c.cleaned);
        EXPECT_EQ(r, QByteArray(c.record));
        EXPECT_EQ(r.size(), 37);
    }
    EXPECT_EQ(clsEllisseExt::ClosingRecord(), QByteArray("7400000000000010000000000000000000000000"));
    EXPECT_EQ(clsEllisseExt::CancellingRecord(), QByteArray("720 "));
}

using EllisseRecordsOnLine = RegisterTest<EllisseSimulator>;

TEST_F(EllisseRecordsOnLine, AReceiptSendsTwoPhaseRecordsWithTheirAcknowledgements)
{
    settings().FiscalPrinterParam.DescriptionLen = 8;
    itfFiscalPrinter& printer = start(RegisterType::EllisseExt);
    printer.NewSession(2);
    printer.SendData(*Currency::parse(QStringLiteral("-1.20")), 1, QStringLiteral("reso"),
                     4);   // flag 8, first-row flag stays
    printer.SendData(*Currency::parse(QStringLiteral("2.5")), 3, QStringLiteral("Caffè espresso"), 2);
    printer.SendData(*Currency::parse(QStringLiteral("1.005")), 1, QStringLiteral("!!"),
                     1);   // nothing left to describe
    printer.EndSession();
    const QList<QByteArray> expected = {
        "7008000000012004000000000000000000000000                00",
        "700",
        "000",
        "5100-RESO                           0",
        "700p000000025002000000000000000000000030                00",
        "700",
        "000",
        "5100-CAFFE ES                       0",
        "7000000000010101000000000000000000000000                00",
        "700",
        "000",
        "7400000000000010000000000000000000000000",
        "740",
        "000",
    };
    EXPECT_EQ(commands(expected.size()), expected);
}

TEST_F(EllisseRecordsOnLine, NothingIsSentToCloseOrVoidABeforeAnySale)
{
    itfFiscalPrinter& printer = start(RegisterType::EllisseExt);
    printer.NewSession(2);
    printer.EndSession();
    printer.NewSession(2);
    printer.CancelSession();
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_TRUE(line->fromProgram().isEmpty());

    printer.NewSession(2);
    printer.SendData(Currency::fromInt(1), 1, QString(), 1);
    printer.CancelSession();
    const QList<QByteArray> got = commands(6);
    EXPECT_EQ(got.mid(3), (QList<QByteArray> {"720 ", "720", "000"}));
}

TEST_F(EllisseRecordsOnLine, ARefusedResultFailsTheRow)
{
    itfFiscalPrinter& printer = start(RegisterType::EllisseExt);
    printer.NewSession(2);
    sim->setResultStatus('3');
    const AppError e = raised([&] { printer.SendData(Currency::fromInt(1), 1, QStringLiteral("X"), 1); });
    EXPECT_EQ(e.number, driverError(3));
    EXPECT_EQ(e.description, QStringLiteral("Codice: 3\r\rErrore di comunicazione in invio dei dati"));
    sim->setResultStatus('0');
    // The first sale record went out: the receipt is open on the register and can be voided.
    printer.CancelSession();
    EXPECT_EQ(commands(5).mid(2), (QList<QByteArray> {"720 ", "720", "000"}));
}

// The sale record's places are fixed: a field that would not fit is refused, never sent
// shifted onto the next field (department 100 would be charged to department 10).
TEST_F(EllisseRecordsOnLine, ARowWhoseFieldsDoNotFitTheRecordIsRefusedUnsent)
{
    struct Case {
        const char* price;
        int16_t department;
        QString message;
    };
    const QString department = QStringLiteral("Reparto %1 non gestito dal registratore di cassa (reparti da 0 a 99)");
    const Case cases[] = {
        {"1", 100, department.arg(100)},
        {"1", -1, department.arg(-1)},
        {"100000000", 1, QStringLiteral("Importo 100000000 troppo grande per il registratore di cassa")},
        {"-123456789.5", 1, QStringLiteral("Importo 123456789.5 troppo grande per il registratore di cassa")},
    };
    itfFiscalPrinter& printer = start(RegisterType::EllisseExt);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.price) + " " + std::to_string(c.department));
        printer.NewSession(2);
        const AppError e = raised([&] {
            printer.SendData(*Currency::parse(QString::fromLatin1(c.price), QLocale::c()), 1, QStringLiteral("X"),
                             c.department);
        });
        EXPECT_EQ(e.number, driverError(3));
        EXPECT_EQ(e.description, QStringLiteral("Codice: 3\r\r") + c.message);
        // Nothing reached the register, so there is no receipt to void either.
        printer.CancelSession();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        EXPECT_TRUE(line->fromProgram().isEmpty());
    }
    // The largest that fit still go out.
    printer.NewSession(2);
    printer.SendData(*Currency::parse(QStringLiteral("99999999.99"), QLocale::c()), 1, QString(), 99);
    EXPECT_EQ(commands(1).value(0), QByteArray("700p999999999999000000000000000000000000                00"));
}

TEST_F(EllisseRecordsOnLine, FramesTheRegisterSendsOnItsOwnAreAcknowledgedAndClosed)
{
    start(RegisterType::EllisseExt);
    line->send(sim->unsolicited("120"));
    EXPECT_EQ(commands(2), (QList<QByteArray> {"120", "000"}));

    // A frame beginning with 89 needs no closing exchange.
    sim->clearCommands();
    line->send(sim->unsolicited("890"));
    EXPECT_EQ(commands(1), QList<QByteArray> {"890"});
    QCoreApplication::processEvents(QEventLoop::AllEvents, 200);
    EXPECT_EQ(sim->commands(), QList<QByteArray> {"890"});
}

TEST_F(EllisseRecordsOnLine, AFrameArrivingDuringAnExchangeIsLeftToTheExchange)
{
    itfFiscalPrinter& printer = start(RegisterType::EllisseExt);
    printer.NewSession(2);
    // The register's result comes while the driver waits: it must be read as the result,
    // not answered as a frame of the register's own.
    printer.SendData(Currency::fromInt(2), 1, QString(), 1);
    QCoreApplication::processEvents(QEventLoop::AllEvents, 100);
    EXPECT_EQ(sim->commands().size(), 3);
    EXPECT_TRUE(ui->log().isEmpty());   // no beep
}
