// The fiscal receipt of a sale: what the register is told, in which order, with which
// prices and quantities; what a negative total, an empty sale, the operator's Stop and a
// failing register lead to; and that the sale stays as it was whatever happens.
#include "operations/BackupRestore.h"
#include "mainwindow/CounterDevices.h"
#include "RegisterShop.h"
#include "core/configuration/DeviceSettings.h"
#include "operations/OperationWindows.h"
#include "base/PrintProgress.h"
#include "operations/ReceiptService.h"

#include <random>

namespace {

// A progress whose Stop the operator confirms at one step (counted over the whole call).
class TestProgress final : public PrintProgress {
public:
    TestProgress(QStringList& calls, int stopAt) : m_calls(calls), m_stopAt(stopAt) { }
    void show(const QString& text) override { m_calls << QStringLiteral("show ") + text; }
    void start(int32_t maximum) override { m_calls << QStringLiteral("start %1").arg(maximum); }
    bool step() override { return ++m_steps != m_stopAt; }
    void end() override { m_calls << QStringLiteral("end"); }
    void close() override { m_calls << QStringLiteral("close"); }

private:
    QStringList& m_calls;
    int m_stopAt;
    int m_steps = 0;
};

const QString kRetry = QStringLiteral("Lo scontrino non e' stato stampato correttamente...\r\rVuoi riprovare ?");
const QString kSending = QStringLiteral("Emissione scontrino in corso...");

}   // namespace

class Receipt : public RegisterShop {
protected:
    Receipt()
    {
        settings().FiscalPrinterParam = FiscalPrinterSettings {};
        article(QStringLiteral("A"));
        article(QStringLiteral("B"), QStringLiteral("R2"));
        article(QStringLiteral("C"));
        article(QStringLiteral("K"), QStringLiteral("R1"), QStringLiteral("KgPzz"));
        article(QStringLiteral("Z"), QStringLiteral("R0"));
    }

    ReceiptService service()
    {
        return ReceiptService([this]() -> itfFiscalPrinter& { return printer; },
                              [this] { return std::make_unique<TestProgress>(progress, stopAt); });
    }
    bool send(qint64 sale) { return service().Send_Scontrino(*saleRows(sale)); }

    RecordingPrinter printer;
    QStringList progress;
    int stopAt = 0;
};

TEST_F(Receipt, RowsGoLargestFirstBetweenOpeningAndClosing)
{
    const qint64 s = sell({{"A", 1, "5.00"}, {"B", 1, "12.50"}, {"C", 1, "1.00"}});
    auto rows = saleRows(s);
    rows->MoveFirst();
    const qint64 first = rows->GetOID();

    EXPECT_TRUE(service().Send_Scontrino(*rows));
    EXPECT_EQ(printer.calls,
              (QStringList {"NewSession 2", "SendData 12.5 x1 \"Articolo B\" 2", "SendData 5 x1 \"Articolo A\" 1",
                            "SendData 1 x1 \"Articolo C\" 1", "EndSession"}));
    EXPECT_EQ(progress, (QStringList {"show " + kSending, "start 3", "end", "close"}));
    EXPECT_TRUE(log().contains(QStringLiteral("STATUS: ") + kSending));
    EXPECT_TRUE(boxes().isEmpty());
    // The caller's data set (the sale form's rows grid) keeps its order and its row.
    EXPECT_EQ(rows->GetOrder(), QString());
    EXPECT_EQ(rows->GetOID(), first);
}

// The register prints price times pieces: a row goes as pieces only when that product is
// the row's amount to the cent, so the receipt's total is the sale's.
TEST_F(Receipt, ARowGoesAsPiecesOnlyWhenTheyGiveBackItsAmount)
{
    struct Case {
        const char* name;
        const char* amount;
        double quantity;
        bool fractionalUnit;
        bool conversion;
        const char* price;
        int16_t pieces;
    };
    const Case cases[] = {
        {"pieces that divide the amount", "12.50", 5, false, false, "2.50", 5},
        {"3 pieces for 10.00 would total 9.99", "10.00", 3, false, false, "10.00", 1},
        {"a unit sold by weight", "10.00", 2, true, false, "10.00", 1},
        {"98 pieces", "196.00", 98, false, false, "2.00", 98},
        {"99 pieces are too many for the register", "198.00", 99, false, false, "198.00", 1},
        {"150 pieces", "150.00", 150, false, false, "150.00", 1},
        {"a fraction of a piece", "3.75", 2.5, false, false, "3.75", 1},
        {"no quantity", "5.00", 0, false, false, "5.00", 1},
        {"a return of two pieces", "-5.00", -2, false, false, "-5.00", 1},
        {"in lire, never as pieces", "10.00", 2, false, true, "19363", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const FiscalRow row = RegisterRow(db(), eur(c.amount), c.quantity, c.fractionalUnit, c.conversion);
        EXPECT_EQ(row.price, eur(c.price));
        EXPECT_EQ(row.quantity, c.pieces);
    }
}

TEST_F(Receipt, ASaleOfTenForThreePiecesReachesTheRegisterAsTen)
{
    const qint64 s = sell({{"A", 3, "10.00"}});
    EXPECT_TRUE(send(s));
    EXPECT_EQ(printer.calls, (QStringList {"NewSession 2", "SendData 10 x1 \"Articolo A\" 1", "EndSession"}));
    EXPECT_EQ(printer.lastTotal(), eur("10.00"));
}

// Whatever the rows, the register's total is the sale's total.
TEST_F(Receipt, TheRegisterTotalIsAlwaysTheSaleTotal)
{
    std::mt19937 random(2007);
    const QList<double> quantities = {1, 2, 3, 4, 6, 7, 12, 98, 99, 120, 0.5, 1.25, 2.333, 0, -1, -3};
    const QStringList codes = {"A", "B", "C", "K"};
    for (int sale = 0; sale < 8; ++sale) {
        SCOPED_TRACE(sale);
        QList<Row> rows;
        QList<QByteArray> amounts;
        for (int i = 0; i < 12; ++i) {
            const int cents = int(random() % 40000) - 2000;
            amounts << QByteArray::number(cents / 100.0, 'f', 2);
        }
        for (int i = 0; i < amounts.size(); ++i)
            rows.append({codes[int(random() % codes.size())], quantities[int(random() % quantities.size())],
                         amounts[i].constData()});
        const qint64 s = sell(rows);
        const Currency total = saleRows(s)->Aggregate(QStringLiteral("ImportoScarico"), 0).value<Currency>();
        if (total < Currency()) continue;   // no receipt for those
        printer.calls.clear();
        ASSERT_TRUE(send(s));
        EXPECT_EQ(printer.lastTotal(), total);
        EXPECT_EQ(printer.calls.size(), rows.size() + 2);
    }
}

TEST_F(Receipt, ANegativeTotalPrintsNothingAndAZeroTotalPrints)
{
    struct Case {
        const char* name;
        QList<Row> rows;
        QStringList calls;
    };
    const QString notice = QStringLiteral("N.B.: Lo scontrino non può essere emesso perchè il totale risulta negativo");
    const Case cases[] = {
        {"one cent below zero", {{"A", 1, "5.00"}, {"B", -1, "-5.01"}}, {}},
        {"zero",
         {{"A", 1, "5.00"}, {"B", -1, "-5.00"}},
         {"NewSession 2", "SendData 5 x1 \"Articolo A\" 1", "SendData -5 x1 \"Articolo B\" 2", "EndSession"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        printer.calls.clear();
        prompts->clearLog();
        EXPECT_TRUE(send(sell(c.rows)));
        EXPECT_EQ(printer.calls, c.calls);
        const bool negative = c.calls.isEmpty();
        EXPECT_EQ(boxes(), negative ? QStringList {notice} : QStringList {});
        EXPECT_EQ(log().contains(QStringLiteral("STATUS: ") + kSending), !negative);
    }
}

// A driver error ends the receipt where it stands: the error is shown, the register hears
// nothing more (no void, no close) and no retry is offered, since a void that did not take
// would make the retry a second receipt. The sale stays recorded.
TEST_F(Receipt, ADriverErrorIsShownAndTheRegisterHearsNothingMore)
{
    const QString error
        = QStringLiteral("Si e' verificato un errore durante l'emissione dello scontrino:\r\rCodice: %1\r\r");
    struct Case {
        const char* name;
        bool failOpen;
        int failAtRow;
        bool canCancel;
        QStringList calls;
        QString box;
    };
    const Case cases[] = {
        {"the third row",
         false,
         3,
         true,
         {"NewSession 2", "SendData 12.5 x1 \"Articolo B\" 2", "SendData 5 x1 \"Articolo A\" 1",
          "SendData 1 x1 \"Articolo C\" 1"},
         error.arg(3) + QStringLiteral("Errore di comunicazione in invio dei dati")},
        {"the opening", true, 0, true, {"NewSession 2"}, error.arg(1) + QStringLiteral("Errore di comunicazione")},
        {"a register that cannot void",
         false,
         2,
         false,
         {"NewSession 2", "SendData 12.5 x1 \"Articolo B\" 2", "SendData 5 x1 \"Articolo A\" 1"},
         error.arg(3) + QStringLiteral("Errore di comunicazione in invio dei dati")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        printer = RecordingPrinter {};
        printer.failOpen = c.failOpen;
        printer.failAtRow = c.failAtRow;
        printer.canCancel = c.canCancel;
        progress.clear();
        prompts->clearLog();
        prompts->addAnswer(QStringLiteral("OK"));
        prompts->addAnswer(QStringLiteral("Yes"));   // were a retry offered, it would be taken
        const qint64 s = sell({{"A", 1, "5.00"}, {"B", 1, "12.50"}, {"C", 1, "1.00"}});

        EXPECT_FALSE(send(s));
        EXPECT_EQ(printer.calls, c.calls);
        EXPECT_EQ(boxes(), QStringList {c.box});
        EXPECT_TRUE(prompts->hasAnswers());
        EXPECT_EQ(progress.mid(progress.size() - 2), (QStringList {"end", "close"}));
        auto stored = sale(s);
        ASSERT_FALSE(stored->IsEmpty());
        EXPECT_EQ(stored->GetCurrencyValue(QStringLiteral("ImportoVendita")), eur("18.50"));
        EXPECT_EQ(saleRows(s)->RowCount(), 3);
    }
}

// What reached a register that cannot void stays charged there: a receipt the operator
// stopped is not sent again once a row reached it, but is when nothing did.
TEST_F(Receipt, ARegisterThatCannotVoidIsNotSentAStoppedReceiptAgain)
{
    const QString voidIt = QStringLiteral("annullarlo sul registratore di cassa");
    struct Case {
        const char* name;
        int stopAt;
        bool issued;
        QStringList calls;
        int retryQuestions;
    };
    const Case cases[] = {
        {"stopped after a row", 2, false, {"NewSession 2", "SendData 12.5 x1 \"Articolo B\" 2", "CancelSession"}, 0},
        {"stopped before any row",
         1,
         true,
         {"NewSession 2", "CancelSession", "NewSession 2", "SendData 12.5 x1 \"Articolo B\" 2",
          "SendData 5 x1 \"Articolo A\" 1", "EndSession"},
         1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        printer = RecordingPrinter {};
        printer.canCancel = false;
        stopAt = c.stopAt;
        prompts->clearLog();
        for (int i = 0; i < 3; ++i) prompts->addAnswer(QStringLiteral("Yes"));

        EXPECT_EQ(send(sell({{"A", 1, "5.00"}, {"B", 1, "12.50"}})), c.issued);
        EXPECT_EQ(printer.calls, c.calls);
        const QStringList shown = boxes();
        EXPECT_EQ(shown.count(kRetry), c.retryQuestions);
        EXPECT_EQ(!shown.filter(voidIt).isEmpty(), c.retryQuestions == 0);
    }
}

TEST_F(Receipt, AnEmptySaleOrTheOperatorsStopVoidsTheReceiptAndAsks)
{
    struct Case {
        const char* name;
        QList<Row> rows;
        int stopAt;
        QString answer;
        bool issued;
        QStringList calls;
    };
    const Case cases[] = {
        {"no rows", {}, 0, "No", false, {"NewSession 2", "CancelSession"}},
        {"stopped, given up",
         {{"A", 1, "5.00"}, {"B", 1, "12.50"}},
         2,
         "No",
         false,
         {"NewSession 2", "SendData 12.5 x1 \"Articolo B\" 2", "CancelSession"}},
        {"stopped, sent again from the first row",
         {{"A", 1, "5.00"}, {"B", 1, "12.50"}},
         2,
         "Yes",
         true,
         {"NewSession 2", "SendData 12.5 x1 \"Articolo B\" 2", "CancelSession", "NewSession 2",
          "SendData 12.5 x1 \"Articolo B\" 2", "SendData 5 x1 \"Articolo A\" 1", "EndSession"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        printer.calls.clear();
        prompts->clearLog();
        prompts->addAnswer(c.answer);
        stopAt = c.stopAt;
        EXPECT_EQ(send(sell(c.rows)), c.issued);
        EXPECT_EQ(printer.calls, c.calls);
        EXPECT_EQ(boxes(), QStringList {kRetry});
    }
}

TEST_F(Receipt, DescriptionsFollowTheSettingAndDepartmentsTheVatCode)
{
    settings().FiscalPrinterParam.SendDescription = false;
    EXPECT_TRUE(send(sell({{"A", 2, "3.00"}, {"B", 1, "2.00"}})));
    EXPECT_EQ(printer.calls,
              (QStringList {"NewSession 2", "SendData 1.5 x2 \"\" 1", "SendData 2 x1 \"\" 2", "EndSession"}));

    // An article whose VAT code has no department: nothing reaches the register.
    printer.calls.clear();
    EXPECT_FALSE(send(sell({{"A", 1, "3.00"}, {"Z", 1, "2.00"}})));
    EXPECT_EQ(printer.calls, QStringList());
    EXPECT_EQ(boxes(),
              QStringList {"Si e' verificato un errore durante l'emissione dello scontrino:\r\r"
                           "L'articolo \"Articolo Z\" non ha un reparto di cassa valido (codice IVA)"});
}

TEST_F(Receipt, ConvertedAmountsGoInTheConversionCurrency)
{
    settings().FiscalPrinterParam.CurrencyConversion = true;
    EXPECT_TRUE(send(sell({{"A", 2, "10.00"}, {"B", 1, "0.50"}})));
    // 10.00 x 1936.27 = 19362.7 and 0.50 x 1936.27 = 968.135 lire, without decimals.
    EXPECT_EQ(printer.calls,
              (QStringList {"NewSession 0", "SendData 19363 x1 \"Articolo A\" 1", "SendData 968 x1 \"Articolo B\" 2",
                            "EndSession"}));
}

TEST_F(Receipt, ReprintAsksFirstAndTellsWhenDone)
{
    const qint64 s = sell({{"A", 1, "5.00"}});
    const QString confirm = QStringLiteral("Confermi la ristampa dello scontrino ?");
    struct Case {
        const char* name;
        bool enabled;
        QString answer;
        QStringList log;
        bool sent;
    };
    const Case cases[] = {
        {"register off", false, "", {"MSGBOX: Registratore di cassa non attivato..."}, false},
        {"not confirmed", true, "No", {"BEEP: ", "MSGBOX: " + confirm}, false},
        {"confirmed",
         true,
         "Yes",
         {"BEEP: ", "MSGBOX: " + confirm, "STATUS: " + kSending, "MSGBOX: Lo scontrino e' stato ristampato..."},
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        settings().FiscalPrinterEnabled = c.enabled;
        printer.calls.clear();
        prompts->clearLog();
        if (!c.answer.isEmpty()) prompts->addAnswer(c.answer);
        auto sales = sale(s);
        service().ReprintReceipt(sales.get());
        EXPECT_EQ(log(), c.log);
        EXPECT_EQ(!printer.calls.isEmpty(), c.sent);
    }

    // No view, or a view without rows: nothing at all.
    prompts->clearLog();
    service().ReprintReceipt(nullptr);
    service().ReprintReceipt(select(QStringLiteral("Vendite"), QStringLiteral("OID = 0")).get());
    EXPECT_EQ(log(), QStringList());
}

// Without a progress of its own, a reprint shows the window the main window installs and holds
// the main window busy from before the receipt is shown until after it is closed; with none
// installed it still goes out.
TEST_F(Receipt, AReprintShowsTheInstalledWindowsAroundTheReceipt)
{
    class Windows final : public OperationWindows {
    public:
        explicit Windows(QStringList& log) : m_log(log) { }
        std::unique_ptr<BackupProgress> BackupWindow() override { return nullptr; }
        std::unique_ptr<PrintProgress> ReceiptWindow() override { return std::make_unique<TestProgress>(m_log, 0); }
        std::shared_ptr<void> Busy() override
        {
            m_log << QStringLiteral("busy");
            return std::shared_ptr<void>(nullptr, [this](void*) { m_log << QStringLiteral("idle"); });
        }

    private:
        QStringList& m_log;
    };
    const qint64 s = sell({{"A", 1, "5.00"}});
    settings().FiscalPrinterEnabled = true;
    const auto reprint = [&] {
        prompts->addAnswer("Yes");
        ReceiptService([this]() -> itfFiscalPrinter& { return printer; }).ReprintReceipt(sale(s).get());
    };

    reprint();
    EXPECT_EQ(printer.calls, (QStringList {"NewSession 2", "SendData 5 x1 \"Articolo A\" 1", "EndSession"}));

    QStringList shown;
    Windows windows(shown);
    setOperationWindows(&windows);
    printer.calls.clear();
    reprint();
    setOperationWindows(nullptr);
    EXPECT_EQ(printer.calls, (QStringList {"NewSession 2", "SendData 5 x1 \"Articolo A\" 1", "EndSession"}));
    EXPECT_EQ(shown, (QStringList {"busy", "show " + kSending, "start 1", "end", "close", "idle"}));
}

// The sale form reaches the receipt service through the registered counter services.
TEST_F(Receipt, TheSaleFormReachesItThroughTheCounterServices)
{
    CounterDevices devices({}, service());
    setCounterServices(&devices);
    const qint64 s = sell({{"A", 1, "5.00"}});
    ASSERT_NE(counterServices(), nullptr);
    EXPECT_TRUE(counterServices()->Send_Scontrino(*saleRows(s)));
    EXPECT_EQ(printer.calls.last(), QStringLiteral("EndSession"));
}
