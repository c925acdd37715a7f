#include "RegisterFixture.h"
#include "devices/simulators/Crf4600Simulator.h"
#include "devices/fiscal/clsCRF4600.h"

namespace {
constexpr int STX = 0x02, ETX = 0x03, ACK = 0x06, NAK = 0x15;
const QByteArray kLine = "q\"10!1";
const QByteArray kClose = "q\"50 ";

Currency money(const char* text) { return *Currency::parse(QString::fromLatin1(text), QLocale::c()); }
}

TEST(Crf4600Line, FieldsCarryTheirLengthInTheirFirstCharacter)
{
    struct Case {
        const char* name;
        const char* price;
        int quantity;
        QString description;
        int length;
        QByteArray line;
    };
    const Case cases[] = {
        {"no description", "2.5", 3, QString(), 20, kLine + "#2.5!3"},
        {"below one", "0.5", 1, QString(), 20, kLine + "\".5!1"},
        {"whole amount, return quantity", "-3", -12, QString(), 20, kLine + "!3\"12"},
        {"description", "1.2", 2, QStringLiteral("Caffè!"), 10, kLine + "#1.2!2" + QByteArray(6, ' ') + "*CAFFE     "},
        {"blank description", "1", 1, QStringLiteral("   "), 5, kLine + "!1!1" + QByteArray(6, ' ') + "%     "},
        {"cut", "12.34", 1, QStringLiteral("abcdefghij"), 4, kLine + "%12.34!1" + QByteArray(6, ' ') + "$ABCD"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(clsCRF4600::LineCommand(money(c.price), c.quantity, c.description, c.length), c.line);
    }
}

using Crf4600 = RegisterTest<Crf4600Simulator>;

TEST_F(Crf4600, ReturnsPrintOnAReceiptOfTheirOwn)
{
    itfFiscalPrinter& printer = start(RegisterType::CRF4600);
    printer.NewSession(2);
    printer.SendData(money("2.5"), 3, QString(), 2);
    printer.SendData(money("2.5"), 3, QString(), 7);   // the department is not the register's business
    printer.SendData(money("1.204"), -2, QString(), 2);   // a return by quantity, rounded to 1.20
    printer.SendData(money("-0.5"), 1, QString(), 2);   // and by price: the return receipt stays open
    printer.SendData(money("4"), 1, QString(), 2);   // a sale again: back to a sale receipt
    printer.EndSession();
    const QList<QByteArray> expected = {
        "t!1", "p!3", "q!0", kLine + "#2.5!3", kLine + "#2.5!3", kClose, "t!0",
        "t!1", "p!3", "q!1", kLine + "#1.2!2", kLine + "\".5!1", kClose, "t!0",
        "t!1", "p!3", "q!0", kLine + "!4!1",   kClose,           "t!0",
    };
    EXPECT_EQ(commands(expected.size()), expected);
}

TEST_F(Crf4600, EveryAnswerIsAcknowledged)
{
    itfFiscalPrinter& printer = start(RegisterType::CRF4600);
    printer.NewSession(2);
    printer.CancelSession();
    const QByteArray sent = fromProgram(24);
    EXPECT_EQ(sent,
              bytes({STX}) + "t!1" + bytes({ETX, ACK, STX}) + "p!3" + bytes({ETX, ACK, STX}) + "q!0"
                  + bytes({ETX, ACK, STX}) + "t!0" + bytes({ETX, ACK}));
}

TEST_F(Crf4600, ANewReceiptStartsInSaleMode)
{
    auto& printer = dynamic_cast<clsCRF4600&>(start(RegisterType::CRF4600));
    printer.NewSession(2);
    printer.SendData(money("-1"), 1, QString(), 1);
    printer.CancelSession();
    EXPECT_TRUE(printer.returnMode());   // a void leaves the mode as it was
    printer.NewSession(2);
    EXPECT_FALSE(printer.returnMode());
    EXPECT_EQ(commands(13).mid(10), (QList<QByteArray> {"t!1", "p!3", "q!0"}));
}

TEST_F(Crf4600, AnAckAloneIsAnAnswerOnceTheLineFallsSilent)
{
    settings().FiscalPrinterParam.CommandWait = 80;
    itfFiscalPrinter& printer = start(RegisterType::CRF4600);
    sim->replaceNextAnswer(bytes({ACK}));
    QElapsedTimer t;
    t.start();
    printer.NewSession(2);
    EXPECT_GE(t.elapsed(), 3 * 80 + 80);   // three pauses, and the silence after the ACK
    EXPECT_EQ(line->fromProgram().left(6), bytes({STX}) + "t!1" + bytes({ETX, ACK}));
}

TEST_F(Crf4600, AMuteRegisterFailsAfterTheTimeoutWithoutAcknowledging)
{
    itfFiscalPrinter& printer = start(RegisterType::CRF4600);
    line->setPowered(false);
    QElapsedTimer t;
    t.start();
    const AppError e = raised([&] { printer.NewSession(2); });
    EXPECT_LT(t.elapsed(), 1000);
    EXPECT_EQ(e.number, driverError(1));
    EXPECT_EQ(e.source, QStringLiteral("Olivetti CRF 4600"));
    EXPECT_EQ(e.description,
              QStringLiteral("Codice: 1\r\rErrore di comunicazione con il registratore di cassa (COM1-9600,n,8,1)"));
    for (const auto& event : line->traffic()) EXPECT_FALSE(event.bytes.contains(char(ACK)));
}

TEST_F(Crf4600, RefusalsAndUnknownAnswersFailTheOperation)
{
    struct Case {
        const char* name;
        QByteArray answer;
        bool beeps;
    };
    const Case cases[] = {
        {"NAK", bytes({NAK}), true},
        {"unknown", "?", false},
        {"frame without its end", bytes({STX}) + "0", false},
    };
    itfFiscalPrinter& printer = start(RegisterType::CRF4600);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ui->clearLog();
        printer.NewSession(2);
        sim->replaceNextAnswer(c.answer);
        const AppError e = raised([&] { printer.SendData(money("1"), 1, QString(), 1); });
        EXPECT_EQ(e.description, QStringLiteral("Codice: 3\r\rErrore di comunicazione in invio dei dati"));
        EXPECT_EQ(ui->log().contains(QStringLiteral("BEEP: ")), c.beeps);
    }
    sim->replaceNextAnswer(bytes({NAK}));
    EXPECT_EQ(raised([&] { printer.EndSession(); }).number, driverError(2));
    sim->replaceNextAnswer(bytes({NAK}));
    EXPECT_EQ(raised([&] { printer.CancelSession(); }).description,
              QStringLiteral("Codice: 4\r\rErrore di comunicazione in annullamento dello scontrino"));
}

TEST_F(Crf4600, AFailedSwitchOfReceiptFailsTheRowUnsent)
{
    itfFiscalPrinter& printer = start(RegisterType::CRF4600);
    printer.NewSession(2);
    sim->replaceNextAnswer(bytes({NAK}));   // the close before the return receipt
    const AppError e = raised([&] { printer.SendData(money("-1"), 1, QString(), 1); });
    EXPECT_EQ(e.number, driverError(3));
    EXPECT_EQ(commands(4).mid(3), QList<QByteArray> {kClose});
}
