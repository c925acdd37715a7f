// The row entry of the counter documents, on a sale open for the occasional customer: codes
// typed or scanned become rows (or more of a row), barcodes of weighed articles give the
// quantity their amount buys, and the row commands change, retype and remove rows, always
// with the stock kept by the rows' rules.
#include "CounterShop.h"
#include "documents/DocumentRows.h"
#include "documents/RowKeys.h"
#include "documents/SaleDocument.h"

#include "objdb/TableObject.h"

namespace {

class RowEntry : public CounterShop {
protected:
    void SetUp() override
    {
        CounterShop::SetUp();
        setSetting(QStringLiteral("Vendite"), QStringLiteral("ClienteDefault"),
                   QString::number(keyOf(QStringLiteral("Clienti"), QStringLiteral("Cliente occasionale"))));
        sale = std::make_unique<SaleDocument>(db(), op);
        sale->Load();
        ASSERT_TRUE(sale->Add_Vendita());
    }
    void TearDown() override
    {
        sale.reset();
        CounterShop::TearDown();
    }

    DocumentRows& rows() { return sale->rowEntry(); }
    // As the window does after a command: the rows shown again on the row it names.
    DocumentRows::Result run(DocumentRows::Result r)
    {
        if (r.changed) sale->Refresh_Articoli(r.row);
        return r;
    }
    DocumentRows::Result scan(const QString& code) { return run(rows().AddArticle(code)); }

    // The sale's rows as "CODE quantity amount", in the list's order.
    QStringList saleRows()
    {
        QStringList out;
        TableData& r = *sale->rows();
        for (r.MoveFirst(); !r.IsEOF(); r.MoveNext())
            out << QStringLiteral("%1 %2 %3")
                       .arg(r.GetText(QStringLiteral("Codice")))
                       .arg(r.GetFieldValue(QStringLiteral("ValoreScarico")).toDouble())
                       .arg(r.GetCurrencyValue(QStringLiteral("ImportoScarico")).toString());
        return out;
    }
    qint64 rowOf(const QString& code)
    {
        TableData& r = *sale->rows();
        for (r.MoveFirst(); !r.IsEOF(); r.MoveNext())
            if (r.GetText(QStringLiteral("Codice")) == code) return r.GetOID();
        return 0;
    }

    std::unique_ptr<SaleDocument> sale;
};

TEST_F(RowEntry, ScanningACodeTwiceGivesOneRowOfTwoAndTakesTwoFromStock)
{
    const qint64 article = addArticle(QStringLiteral("8001"), "2.50", 10);

    const DocumentRows::Result first = scan(QStringLiteral("8001"));
    const DocumentRows::Result second = scan(QStringLiteral("8001"));

    EXPECT_EQ(saleRows(), QStringList {QStringLiteral("8001 2 5")});
    EXPECT_EQ(stockOf(article), 8);
    EXPECT_EQ(sale->header().total, eur("5"));
    EXPECT_TRUE(first.changed && first.clearCode);
    EXPECT_EQ(second.row, first.row) << "the window stands on the row that grew";
    EXPECT_TRUE(prompts().isEmpty());
}

TEST_F(RowEntry, AUnitSoldInFractionsGetsARowForEachScan)
{
    const qint64 article = addArticle(QStringLiteral("9001"), "3.00", 5, QStringLiteral("KgPzz"));

    scan(QStringLiteral("9001"));
    scan(QStringLiteral("9001"));

    EXPECT_EQ(saleRows(), (QStringList {QStringLiteral("9001 1 3"), QStringLiteral("9001 1 3")}));
    EXPECT_EQ(stockOf(article), 3);
}

// A weighed article's label: "2", the article's code in 4 digits, the amount in cents.
TEST_F(RowEntry, AWeighedArticlesBarcodeSellsWhatItsAmountBuysAtTheBarcodesAmount)
{
    addBarcodeLayout(QStringLiteral("2"), 2, 4, 6, 5, 100);
    struct Case {
        const char* unit;
        const char* price;
        const char* barcode;
        double quantity;
        const char* amount;
    };
    const Case cases[] = {
        {"KgPzz", "2.49", "2800100349", 1.402, "3.49"},   // 1.40160... to 3 decimals
        {"KgPzz", "0.80", "2800200001", 0.012, "0.01"},   // 0.0125: the half goes to the even digit
        {"QntPzz", "1.20", "2800300300", 2, "3"},   // 2.5 by the piece: to the even whole number
        {"QntPzz", "1.20", "2800400420", 4, "4.2"},   // 3.5
    };
    for (const Case& c : cases) {
        const QString barcode = QString::fromLatin1(c.barcode);
        SCOPED_TRACE(c.barcode);
        const QString code = barcode.mid(1, 4);
        const qint64 article = addArticle(code, c.price, 10, QString::fromLatin1(c.unit));

        scan(barcode);
        scan(barcode);

        const QString row = QStringLiteral("%1 %2 %3").arg(code).arg(c.quantity).arg(QString::fromLatin1(c.amount));
        EXPECT_EQ(saleRows().filter(code), (QStringList {row, row}))
            << "a weighed article never adds to an earlier row";
        EXPECT_DOUBLE_EQ(stockOf(article), 10 - 2 * c.quantity);
    }
}

TEST_F(RowEntry, TheAmountsOfWeighedArticlesAreDividedExactly)
{
    EXPECT_EQ(QuantityForAmount(eur("0.70"), eur("0.05"), false), 14) << "0.70 / 0.05 in binary is 13.999...";
    EXPECT_EQ(QuantityForAmount(eur("1"), eur("3"), true), 0.333);
    EXPECT_EQ(QuantityForAmount(eur("-3.49"), eur("2.49"), true), -1.402) << "a returned label";
}

TEST(TypedQuantity, TakesTheCommaOrThePointAndRefusesAnythingElse)
{
    const std::pair<const char*, std::optional<double>> cases[] = {
        {"1,5", 1.5},
        {"1.5", 1.5},
        {"-2", -2},
        {" 3 ", 3},
        {"0", 0},
        {",25", 0.25},
        {"7,", 7},
        {"abc", std::nullopt},
        {"1,5kg", std::nullopt},
        {"1,2,3", std::nullopt},
        {"1.000,5", std::nullopt},
        {"-", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(ReadQuantity(QString::fromLatin1(text)), expected) << text;
}

TEST_F(RowEntry, ATypedQuantityIsSetWithItsDecimalsAndANonNumberChangesNothing)
{
    const qint64 article = addArticle(QStringLiteral("8001"), "2.00", 10);
    const qint64 row = scan(QStringLiteral("8001")).row;

    answer({QStringLiteral("1,5")});
    EXPECT_TRUE(run(rows().EditQuantity(row)).changed);
    EXPECT_EQ(saleRows(), QStringList {QStringLiteral("8001 1.5 3")});
    EXPECT_EQ(stockOf(article), 8.5);
    EXPECT_EQ(prompts(), QStringList {QStringLiteral("IMPOSTARE LA QUANTITA' PER L'ARTICOLO:\r\r< Articolo 8001 >")});

    clearPrompts();
    answer({QStringLiteral("due")});
    EXPECT_FALSE(rows().EditQuantity(row).changed);
    EXPECT_EQ(prompts().value(1), QString::fromUtf8("Il valore impostato non è valido"));

    clearPrompts();
    answer({QStringLiteral("<cancel>")});
    EXPECT_FALSE(rows().EditQuantity(row).changed);
    EXPECT_EQ(prompts().size(), 1) << "a cancelled box shows nothing more";

    EXPECT_EQ(saleRows(), QStringList {QStringLiteral("8001 1.5 3")});
    EXPECT_EQ(stockOf(article), 8.5);

    const int before = beeps();
    EXPECT_FALSE(rows().EditQuantity(0).changed);
    EXPECT_EQ(beeps(), before + 1) << "no row selected";
}

TEST_F(RowEntry, PlusAndMinusStepOverZeroWithABeep)
{
    const qint64 article = addArticle(QStringLiteral("8001"), "2.00", 10);
    const qint64 row = scan(QStringLiteral("8001")).row;

    run(rows().Decrement(row));
    EXPECT_EQ(saleRows(), QStringList {QStringLiteral("8001 -1 -2")}) << "a sale of one becomes a return of one";
    EXPECT_EQ(beeps(), 1);
    run(rows().Increment(row, QString()));
    EXPECT_EQ(saleRows(), QStringList {QStringLiteral("8001 1 2")});
    EXPECT_EQ(beeps(), 2);
    run(rows().Increment(row, QString()));
    EXPECT_EQ(saleRows(), QStringList {QStringLiteral("8001 2 4")});
    EXPECT_EQ(beeps(), 2);
    EXPECT_EQ(stockOf(article), 8);

    EXPECT_FALSE(rows().Decrement(0).changed) << "\"-\" without a row does nothing";
    addArticle(QStringLiteral("8002"), "1.00", 4);
    run(rows().Increment(0, QStringLiteral("8002")));
    EXPECT_EQ(saleRows(), (QStringList {QStringLiteral("8001 2 4"), QStringLiteral("8002 1 1")}))
        << "\"+\" without a row adds the code box's article";
}

TEST_F(RowEntry, AnArticleWithoutPriceIsCompletedInTheRowEditorAndPlusMinusLeaveIt)
{
    const qint64 article = addArticle(QStringLiteral("7001"), "0", 10);

    op.saveNewRows = false;
    const DocumentRows::Result cancelled = scan(QStringLiteral("7001"));
    EXPECT_FALSE(cancelled.changed);
    EXPECT_FALSE(cancelled.clearCode) << "the code stays in the box";
    EXPECT_EQ(op.log.last(), QStringLiteral("new ScaricoArticoli"));
    EXPECT_EQ(op.lastPresets,
              (QVariantList {QStringLiteral("@InvertParent@"), true, QStringLiteral("ValoreScarico"), 1.0,
                             QStringLiteral("objParent"), article, QStringLiteral("Articoli"), QString()}));
    EXPECT_TRUE(saleRows().isEmpty());

    op.saveNewRows = true;
    op.newRowValues = {QStringLiteral("ImportoScarico"), money("4.00")};
    const qint64 row = scan(QStringLiteral("7001")).row;
    scan(QStringLiteral("7001"));
    EXPECT_EQ(saleRows(), (QStringList {QStringLiteral("7001 1 4"), QStringLiteral("7001 1 4")}))
        << "a row priced by hand is never added to";

    EXPECT_FALSE(rows().Increment(row, QString()).changed);
    EXPECT_FALSE(rows().Decrement(row).changed);
}

TEST_F(RowEntry, DeletingARowAsksNothingAndGivesItsStockBack)
{
    const qint64 article = addArticle(QStringLiteral("8001"), "2.50", 10);
    scan(QStringLiteral("8001"));
    const qint64 row = scan(QStringLiteral("8001")).row;

    EXPECT_TRUE(run(rows().DeleteRow(row)).changed);

    EXPECT_TRUE(saleRows().isEmpty());
    EXPECT_EQ(stockOf(article), 10);
    EXPECT_EQ(sale->header().total, Currency());
    EXPECT_TRUE(prompts().isEmpty());
    EXPECT_EQ(count(QStringLiteral("ScaricoArticoli")), 0);
}

TEST_F(RowEntry, AnUnknownCodeBecomesAnArticleOnlyWhenTheOperatorSaysSo)
{
    const QString question = QStringLiteral("beep Articolo non trovato...\r\rVuoi inserirlo ?");

    op.beepAnswers = {false};
    const DocumentRows::Result refused = scan(QStringLiteral("X1"));
    EXPECT_TRUE(refused.clearCode);
    EXPECT_FALSE(refused.changed);
    EXPECT_EQ(op.log, QStringList {question});
    EXPECT_EQ(count(QStringLiteral("Articoli"), QStringLiteral("Codice = 'X1'")), 0);

    op.beepAnswers = {true};
    op.newRowValues
        = {QStringLiteral("Descrizione"), QStringLiteral("Nuovo"), QStringLiteral("PrezzoVendita"), money("1.50")};
    scan(QStringLiteral("X1"));
    EXPECT_EQ(op.lastPresets, (QVariantList {QStringLiteral("Codice"), QStringLiteral("X1")}));
    EXPECT_EQ(saleRows(), QStringList {QStringLiteral("X1 1 1.5")});

    op.log.clear();
    op.beepAnswers = {true};
    const QString tooLong(33, u'9');
    EXPECT_TRUE(scan(tooLong).clearCode);
    EXPECT_EQ(prompts(), QStringList {QString::fromUtf8("Il Codice non può essere più di 32 caratteri.")});
    EXPECT_EQ(op.log, QStringList {question}) << "no editor for a code that cannot be stored";
}

TEST_F(RowEntry, ACodeInSeveralDepositsIsTheArticleTheOperatorPicks)
{
    addArticle(QStringLiteral("5001"), "1.00", 10);
    const qint64 back
        = addArticle(QStringLiteral("5001"), "1.00", 10, QStringLiteral("QntPzz"), "1.00", QStringLiteral("Retro"));

    op.picks = {back};
    scan(QStringLiteral("5001"));
    EXPECT_EQ(op.lastPickCount, 2);
    EXPECT_EQ(stockOf(back), 9);

    op.picks = {0};
    const DocumentRows::Result none = scan(QStringLiteral("5001"));
    EXPECT_FALSE(none.changed);
    EXPECT_TRUE(none.clearCode);
    EXPECT_EQ(stockOf(back), 9);
}

TEST_F(RowEntry, TheAdditionalCodeIsLookedUpOnlyWhenAsked)
{
    const qint64 article = addArticle(QStringLiteral("8001"), "2.00", 10);
    auto a = row(QStringLiteral("Articoli"), article);
    a->SetValue(QStringLiteral("CodiceAggiuntivo"), QStringLiteral("ALT-1"));
    a->Update();

    op.beepAnswers = {false};
    EXPECT_FALSE(scan(QStringLiteral("ALT-1")).changed);
    EXPECT_EQ(op.log.size(), 1) << "unknown without the option";

    rows().findAdditionalCode = true;
    scan(QStringLiteral("ALT-1"));
    EXPECT_EQ(saleRows(), QStringList {QStringLiteral("8001 1 2")});
}

TEST_F(RowEntry, AnEmptyCodeBoxFindsTheArticleByItsDescription)
{
    addArticle(QStringLiteral("8001"), "2.00", 10);
    addArticle(QStringLiteral("8002"), "3.00", 10);
    addArticle(QStringLiteral("9001"), "4.00", 10);

    op.search = ImportOperator::TextSearch {QStringLiteral("Articolo 80"), false};
    op.picks = {keyOf(QStringLiteral("Articoli"), QStringLiteral("8002"), QStringLiteral("Codice"))};
    scan(QString());
    EXPECT_EQ(op.lastPickCount, 2) << "descriptions that begin with the text";
    EXPECT_EQ(saleRows(), QStringList {QStringLiteral("8002 1 3")});

    op.search = ImportOperator::TextSearch {QStringLiteral("001"), true};
    op.picks = {0};
    EXPECT_FALSE(scan(QString()).changed);
    EXPECT_EQ(op.lastPickCount, 2) << "descriptions that hold the text";

    op.search.reset();
    const DocumentRows::Result cancelled = scan(QString());
    EXPECT_FALSE(cancelled.changed || cancelled.clearCode);
    EXPECT_EQ(op.log.last(), QStringLiteral("search Descrizione"));
}

// The operator's text is matched as written: a "%" or "*" in it is no wildcard.
TEST_F(RowEntry, TheDescriptionSearchTakesPatternCharactersAsTyped)
{
    const auto describe = [&](const QString& code, const QString& text) {
        auto a = row(QStringLiteral("Articoli"), addArticle(code, "1.00", 10));
        a->SetValue(QStringLiteral("Descrizione"), text);
        a->Update();
    };
    describe(QStringLiteral("8001"), QStringLiteral("Sconto 50% vino"));
    describe(QStringLiteral("8002"), QStringLiteral("Sconto 500 g pasta"));
    describe(QStringLiteral("8003"), QStringLiteral("Olio *extra*"));
    describe(QStringLiteral("8004"), QStringLiteral("Olio di semi"));
    const struct {
        const char* text;
        bool inside;
        int offered;
    } cases[] = {{"Sconto 50%", false, 1}, {"50%", true, 1}, {"Olio *", false, 1}, {"*", true, 1}, {"[", true, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        op.search = ImportOperator::TextSearch {QString::fromUtf8(c.text), c.inside};
        op.picks = {0};
        (void)scan(QString());
        EXPECT_EQ(op.lastPickCount, c.offered);
    }
}

TEST_F(RowEntry, TheMarksShowAReturnAndAnArticleAtItsMinimumStock)
{
    const qint64 low = addArticle(QStringLiteral("8001"), "2.00", 2);
    auto a = row(QStringLiteral("Articoli"), low);
    a->SetValue(QStringLiteral("ScortaMinima"), qint64(1));
    a->Update();
    addArticle(QStringLiteral("8002"), "2.00", 10);

    const qint64 first = scan(QStringLiteral("8001")).row;
    const qint64 second = scan(QStringLiteral("8002")).row;
    run(rows().Decrement(second));

    EXPECT_FALSE(rows().marks(first).returned);
    EXPECT_TRUE(rows().marks(first).lowStock) << "1 left, 1 the minimum";
    EXPECT_TRUE(rows().marks(second).returned);
    EXPECT_FALSE(rows().marks(second).lowStock);
    EXPECT_FALSE(rows().marks(0).returned || rows().marks(0).lowStock);
}

TEST(RowKeys, TheFormsKeysAndTheirCommands)
{
    using K = RowKeyCommand;
    const auto sale = DocumentKind::Sale, supply = DocumentKind::Supply;
    struct Case {
        DocumentKind kind;
        int key;
        Qt::KeyboardModifiers modifiers;
        bool markOn;
        K expected;
    };
    const Case cases[] = {
        {sale, Qt::Key_F2, Qt::NoModifier, false, K::AddArticle},
        {sale, Qt::Key_Insert, Qt::NoModifier, false, K::AddArticle},
        {sale, Qt::Key_Insert, Qt::ShiftModifier, false, K::None},
        {sale, Qt::Key_F3, Qt::NoModifier, false, K::SwitchReceipt},
        {supply, Qt::Key_F3, Qt::NoModifier, false, K::None},
        {sale, Qt::Key_F4, Qt::NoModifier, false, K::SwitchFiscal},
        {supply, Qt::Key_F4, Qt::NoModifier, false, K::SwitchSupplierOnly},
        {sale, Qt::Key_F7, Qt::NoModifier, false, K::None},
        {sale, Qt::Key_F7, Qt::NoModifier, true, K::MoveToBackup},
        {supply, Qt::Key_F9, Qt::NoModifier, false, K::None},
        {sale, Qt::Key_F9, Qt::NoModifier, false, K::ReadCard},
        {supply, Qt::Key_Delete, Qt::NoModifier, false, K::DeleteRow},
        {supply, Qt::Key_F10, Qt::NoModifier, false, K::DeleteRow},
        {supply, Qt::Key_PageDown, Qt::NoModifier, false, K::FocusGrid},
        {supply, Qt::Key_Home, Qt::NoModifier, false, K::EmptyCodeBox},
        {sale, Qt::Key_A, Qt::NoModifier, false, K::None},
    };
    for (const Case& c : cases)
        EXPECT_EQ(KeyCommand(c.kind, c.key, c.modifiers, c.markOn), c.expected) << std::hex << c.key;
}

TEST_F(RowEntry, ACodeTypedWithCtrlAndShiftHeldIsAddedWhenCtrlIsReleased)
{
    addArticle(QStringLiteral("ABC1"), "2.00", 10);
    using A = KeyboardCodeEntry::Action;
    const auto both = Qt::ControlModifier | Qt::ShiftModifier;
    KeyboardCodeEntry entry;
    QString box = QStringLiteral("left over");

    EXPECT_EQ(entry.keyDown(Qt::Key_Control, Qt::ControlModifier, false).action, A::None);
    ASSERT_EQ(entry.keyDown(Qt::Key_Shift, both, false).action, A::Start);
    box.clear();
    for (int key : {Qt::Key_A, Qt::Key_B, Qt::Key_C, Qt::Key_1}) box += entry.keyDown(key, both, true).text;
    EXPECT_EQ(entry.keyDown(Qt::Key_2, both | Qt::KeypadModifier, true).action, A::None) << "keypad digits";
    EXPECT_EQ(entry.keyUp(Qt::Key_Shift).action, A::None);
    EXPECT_TRUE(entry.active()) << "releasing Shift does not end the entry";
    ASSERT_EQ(entry.keyUp(Qt::Key_Control).action, A::Finish);
    EXPECT_FALSE(entry.active());
    EXPECT_EQ(entry.keyDown(Qt::Key_D, Qt::NoModifier, true).action, A::None);

    EXPECT_EQ(box, QStringLiteral("ABC1"));
    scan(box);
    EXPECT_EQ(saleRows(), QStringList {QStringLiteral("ABC1 1 2")});
}

}   // namespace
