#include "RegisterFixture.h"
#include "devices/simulators/SaremaSimulator.h"

#include <QThread>
#include <QTimer>

namespace {
constexpr char XON = 0x11, XOFF = 0x13;

Currency money(const char* text) { return *Currency::parse(QString::fromLatin1(text), QLocale::c()); }
}

using Sarema = RegisterTest<SaremaSimulator>;

TEST_F(Sarema, KeySequencesAsTheyAre)
{
    settings().FiscalPrinterParam.DescriptionLen = 10;
    itfFiscalPrinter& printer = start(RegisterType::Sarema);
    printer.NewSession(2);
    printer.SendData(money("1.20"), 2, QStringLiteral("Pane"), 4);
    printer.SendData(money("0.5"), 1, QStringLiteral("Olio \"buono\" extra"), 12);   // case and blanks kept, cut
    printer.SendMessage(QStringLiteral("Grazie"));
    printer.SendDisplay(QStringLiteral("Totale"));
    printer.EndSession();
    printer.CancelSession();
    const QList<QByteArray> expected = {
        "K", "\"Pane\"2*00000120H4R", "\"Olio  buon\"1*00000050H12R", "\"Grazie\"@", "\"Totale\"1%", "1T", "K",
    };
    EXPECT_EQ(commands(expected.size()), expected);
    EXPECT_EQ(line->fromProgram(), expected.join());
}

TEST_F(Sarema, AReturnGoesAsAReturnWithPlainNumbers)
{
    struct Case {
        const char* price;
        int16_t quantity;
        const char* command;
    };
    const Case cases[] = {
        {"1.20", -2, "9M\"Pane\"2*00000120H4R"},
        {"-5", 1, "9M\"Pane\"1*00000500H4R"},   // never a sale of a negative price
        {"-5", -1, "9M\"Pane\"1*00000500H4R"},
    };
    itfFiscalPrinter& printer = start(RegisterType::Sarema);
    printer.NewSession(2);
    for (const Case& c : cases) printer.SendData(money(c.price), c.quantity, QStringLiteral("Pane"), 4);
    const QList<QByteArray> got = commands(1 + std::size(cases));
    for (int i = 0; i < int(std::size(cases)); ++i)
        EXPECT_EQ(got.value(1 + i), QByteArray(cases[i].command)) << cases[i].price << " x " << cases[i].quantity;
}

TEST_F(Sarema, MessageTextsGoAsGiven)
{
    itfFiscalPrinter& printer = start(RegisterType::Sarema);
    printer.SendMessage(QStringLiteral("Il \"miglior\" pane"));
    const QByteArray expected("\"Il \"miglior\" pane\"@");
    EXPECT_EQ(fromProgram(expected.size()), expected);
}

TEST_F(Sarema, TheRegisterHoldsTheLineWithXoffUntilXon)
{
    itfFiscalPrinter& printer = start(RegisterType::Sarema);
    line->send(QByteArray(1, XOFF));
    QThread::msleep(50);   // the line takes the XOFF before anything is written
    QTimer::singleShot(250, [&] { line->send(QByteArray(1, XON)); });
    printer.NewSession(2);   // waits for the register, not for the time-out
    printer.SendData(money("1"), 1, QStringLiteral("X"), 1);
    EXPECT_EQ(commands(2), (QList<QByteArray> {"K", "\"X\"1*00000100H1R"}));

    qint64 xonAt = -1, firstByteAt = -1;
    for (const auto& e : line->traffic()) {
        if (e.direction == RegisterSimulatorLine::Direction::ToProgram && e.bytes == QByteArray(1, XON)) xonAt = e.ms;
        if (e.direction == RegisterSimulatorLine::Direction::FromProgram && firstByteAt < 0) firstByteAt = e.ms;
    }
    ASSERT_GE(xonAt, 0);
    EXPECT_GE(firstByteAt, xonAt);
}

TEST_F(Sarema, ALineHeldLongerThanTheTimeoutFailsTheOperation)
{
    itfFiscalPrinter& printer = start(RegisterType::Sarema);
    printer.NewSession(2);
    line->send(QByteArray(1, XOFF));
    QThread::msleep(50);
    QElapsedTimer t;
    t.start();
    const AppError e = raised([&] { printer.EndSession(); });
    EXPECT_LT(t.elapsed(), kTimeoutMs + 1000);
    EXPECT_EQ(e.number, driverError(2));
    EXPECT_EQ(e.source, QStringLiteral("Sarema ECR (Xon/Xoff)"));
    EXPECT_EQ(e.description, QStringLiteral("Codice: 2\r\rErrore di comunicazione in chiusura dello scontrino"));
    EXPECT_EQ(commands(1), QList<QByteArray> {"K"});   // "1T" never reached the register

    // Released, the register takes what waited; the next receipt starts with its clear key.
    line->send(QByteArray(1, XON));
    EXPECT_EQ(commands(2), (QList<QByteArray> {"K", "1T"}));
    printer.NewSession(2);
    EXPECT_EQ(commands(3), (QList<QByteArray> {"K", "1T", "K"}));
}

TEST_F(Sarema, WriteFailuresAreTheOperationsErrors)
{
    itfFiscalPrinter& printer = start(RegisterType::Sarema);
    dynamic_cast<SerialRegisterDriver&>(printer).comm().close();
    struct Case {
        std::function<void()> call;
        int32_t code;
        const char* message;
    };
    const Case cases[] = {
        {[&] { printer.SendData(money("1"), 1, QString(), 3); }, 3,
         "Errore di comunicazione in invio dei dati (reparto 3)"},
        {[&] { printer.SendMessage(QStringLiteral("x")); }, 3, "Errore di comunicazione in invio messaggio"},
        {[&] { printer.SendDisplay(QStringLiteral("x")); }, 3, "Errore di comunicazione in invio display"},
        {[&] { printer.EndSession(); }, 2, "Errore di comunicazione in chiusura dello scontrino"},
        {[&] { printer.CancelSession(); }, 4, "Errore di comunicazione in annullamento dello scontrino"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        const AppError e = raised(c.call);
        EXPECT_EQ(e.number, driverError(c.code));
        EXPECT_EQ(e.description, QStringLiteral("Codice: %1\r\r").arg(c.code) + QString::fromUtf8(c.message));
    }
}
