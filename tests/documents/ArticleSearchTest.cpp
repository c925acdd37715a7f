// The article search over the main window's articles view: what each option finds, what the
// view shows with and without "only the matches", how the view is reached and unfiltered
// first, codes cut by the barcode layouts, scanned text, and the failures reported.
#include "documents/ArticleSearch.h"
#include "SearchShop.h"

namespace {

using Field = ArticleSearchField;
using Outcome = ArticleSearch::Outcome;

class ArticleSearching : public SearchShop {
protected:
    void SetUp() override
    {
        SearchShop::SetUp();
        search = ArticleSearch(&db(), main.get());
        article(QStringLiteral("312"), QStringLiteral("Dado M8"), QStringLiteral("8001234567890"));
        article(QStringLiteral("12345"), QStringLiteral("Vite 12 mm"));
        article(QStringLiteral("A#1"), QStringLiteral("Rondella 50% [inox"));
        article(QStringLiteral("1299"), QStringLiteral("L'olio di lino"), QStringLiteral("12-OLIO"));
        article(QStringLiteral("B*2"), QStringLiteral("Chiodo"));
    }
    ArticleSearch search {nullptr, nullptr};
};

TEST_F(ArticleSearching, EachOptionFindsTheFirstMatchAndWithTheFilterShowsOnlyTheMatches)
{
    struct Case {
        const char* what;
        Field field;
        const char* text;
        Outcome outcome;
        const char* selected;   // the article selected in the grid
        QStringList filtered;   // what the view shows with only the matches
    };
    const Case cases[] = {
        {"a code begins with the text", Field::Codice, "12", Outcome::Found, "12345", {"12345", "1299"}},
        {"blanks around a code are no part of it", Field::Codice, " 312 ", Outcome::Found, "312", {"312"}},
        {"the description contains the text", Field::Descrizione, "12", Outcome::Found, "12345", {"12345"}},
        {"anywhere in it, in any case", Field::Descrizione, "MM", Outcome::Found, "12345", {"12345"}},
        {"a quote is part of the text", Field::Descrizione, "l'olio", Outcome::Found, "1299", {"1299"}},
        {"an additional code begins with it", Field::CodiceAggiuntivo, "800123", Outcome::Found, "312", {"312"}},
        {"only at its start", Field::CodiceAggiuntivo, "OLIO", Outcome::NotFound, nullptr, {}},
        {"a code is not found inside another", Field::Codice, "23", Outcome::NotFound, nullptr, {}},
        // The pattern characters of Like stand for themselves.
        {"a code with a hash", Field::Codice, "A#", Outcome::Found, "A#1", {"A#1"}},
        {"a star is no wildcard", Field::Codice, "1*", Outcome::NotFound, nullptr, {}},
        {"but finds a star", Field::Codice, "B*", Outcome::Found, "B*2", {"B*2"}},
        {"a percent sign", Field::Descrizione, "50%", Outcome::Found, "A#1", {"A#1"}},
        {"an open bracket", Field::Descrizione, "[inox", Outcome::Found, "A#1", {"A#1"}},
        {"a question mark", Field::Descrizione, "Dad?", Outcome::NotFound, nullptr, {}},
    };
    for (const bool onlyMatches : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.what) + (onlyMatches ? " (only the matches)" : ""));
            main->RefreshDetailView();
            main->selection = {-1};
            const int beepsBefore = beeps();
            search.field = c.field;
            search.onlyMatches = onlyMatches;
            EXPECT_EQ(search.Search(QString::fromUtf8(c.text)), c.outcome);
            if (c.selected)
                EXPECT_EQ(selectedCodes(), QStringList {QString::fromUtf8(c.selected)});
            else
                EXPECT_EQ(main->selection, QList<qint64> {-1});   // the grid's selection stays
            EXPECT_EQ(beeps() - beepsBefore, c.selected ? 0 : 1);
            if (onlyMatches)
                EXPECT_EQ(shownCodes(), c.filtered);
            else
                EXPECT_EQ(shownCodes().size(), 5);
        }
    }
    EXPECT_EQ(errorReports(), QStringList());
}

TEST_F(ArticleSearching, WithTheFilterAndNoMatchTheViewShowsNoRows)
{
    search.onlyMatches = true;
    main->node = QStringLiteral("Articoli");
    main->RefreshDetailView();
    EXPECT_EQ(search.Search(QStringLiteral("99")), Outcome::NotFound);
    EXPECT_EQ(shownCodes(), QStringList());
    EXPECT_EQ(main->filterings, 1);   // the grid was told to show its rows again
    EXPECT_EQ(beeps(), 1);
    // The filter stays on the view until it is read again.
    EXPECT_FALSE(main->view->GetFilter().isEmpty());
}

TEST_F(ArticleSearching, TheArticlesViewIsShownFirstAndAFilteredViewUnfiltered)
{
    // From another section: the tree goes to the articles and the view is read.
    EXPECT_EQ(search.Search(QStringLiteral("312")), Outcome::Found);
    EXPECT_EQ(main->node, QStringLiteral("Articoli"));
    EXPECT_EQ(main->refreshes, 1);
    EXPECT_EQ(selectedCodes(), QStringList {"312"});

    // Already there: the view as it is.
    EXPECT_EQ(search.Search(QStringLiteral("1299")), Outcome::Found);
    EXPECT_EQ(main->refreshes, 1);

    // A view left filtered by the previous search is read again without its filter before a
    // search that only moves the selection, which then finds an article the filter hid.
    search.onlyMatches = true;
    EXPECT_EQ(search.Search(QStringLiteral("312")), Outcome::Found);
    EXPECT_EQ(shownCodes(), QStringList {"312"});
    search.onlyMatches = false;
    EXPECT_EQ(search.Search(QStringLiteral("12345")), Outcome::Found);
    EXPECT_EQ(main->refreshes, 2);
    EXPECT_EQ(main->view->GetFilter(), QString());
    EXPECT_EQ(shownCodes().size(), 5);
    EXPECT_EQ(selectedCodes(), QStringList {"12345"});
}

TEST_F(ArticleSearching, NothingToFindOnlyBeeps)
{
    for (const char* text : {"", "   "}) {
        SCOPED_TRACE(text);
        m_ui->clearLog();
        EXPECT_EQ(search.Search(QString::fromLatin1(text)), Outcome::NothingToFind);
        EXPECT_EQ(beeps(), 1);
        EXPECT_EQ(main->node, QStringLiteral("Vendite"));   // the view was not touched
        EXPECT_EQ(main->refreshes, 0);
    }
}

// A weighed article's label: "2", the article code in 5 characters, then the price.
TEST_F(ArticleSearching, AScannedCodeIsSearchedByItsArticleCodeOnly)
{
    addBarcodeLayout(QStringLiteral("2"), 2, 5, 8, 5, 100);
    EXPECT_EQ(search.TextToFind(QStringLiteral("2123450015004")), QStringLiteral("12345"));
    EXPECT_EQ(search.Search(QStringLiteral("2123450015004")), Outcome::Found);
    EXPECT_EQ(selectedCodes(), QStringList {"12345"});

    // Words are not a barcode, even when they begin with a layout's prefix.
    search.field = Field::Descrizione;
    EXPECT_EQ(search.TextToFind(QStringLiteral("2 viti")), QStringLiteral("2 viti"));
    search.field = Field::CodiceAggiuntivo;
    EXPECT_EQ(search.TextToFind(QStringLiteral("2800120000000")), QStringLiteral("80012"));
}

TEST_F(ArticleSearching, F4GoesCodiceDescrizioneAggiuntivoAndRoundAgain)
{
    Field f = Field::Codice;
    QList<Field> seen;
    for (int i = 0; i < 3; ++i) seen << (f = ArticleSearch::NextField(f));
    EXPECT_EQ(seen, (QList<Field> {Field::Descrizione, Field::CodiceAggiuntivo, Field::Codice}));
}

TEST_F(ArticleSearching, OnlyAScannedLineGoesThroughTheFilter)
{
    struct Case {
        const char* box;
        std::optional<QString> code;
    };
    const Case withDefault[] = {
        {"8001234567890\r\n", QStringLiteral("8001234567890")},
        {"8001234567890\r", QStringLiteral("8001234567890")},
        {"8001234567890", std::nullopt},   // typed, or not ended yet
        {"123\t\r", std::nullopt},   // annulled by the default filter
        {"\r", std::nullopt},
    };
    for (const Case& c : withDefault) {
        SCOPED_TRACE(c.box);
        EXPECT_EQ(ArticleSearch::ScannedCode(QString::fromLatin1(c.box)), c.code);
    }
    // A filter that makes a code even of nothing must not turn every key typed into a search.
    settings().BarcodeReaderParam.VBFilterScript
        = QStringLiteral("Function BarCodeFilter(c)\r\n  BarCodeFilter = \"S\" & c\r\nEnd Function\r\n");
    EXPECT_EQ(ArticleSearch::ScannedCode(QStringLiteral("1")), std::nullopt);
    EXPECT_EQ(ArticleSearch::ScannedCode(QStringLiteral("1\r\n")), QStringLiteral("S1"));
}

TEST_F(ArticleSearching, FailuresAreReportedAndLeaveTheGridAlone)
{
    // The main window could not open the articles view (it said why).
    main->opensViews = false;
    EXPECT_EQ(search.Search(QStringLiteral("12")), Outcome::Failed);
    EXPECT_EQ(errorReports().size(), 1);
    EXPECT_EQ(main->selection, QList<qint64>());

    // No main window, no database.
    m_ui->clearLog();
    ArticleSearch withoutWindow(&db(), nullptr);
    EXPECT_EQ(withoutWindow.Search(QStringLiteral("12")), Outcome::Failed);
    ArticleSearch withoutDatabase(nullptr, main.get());
    EXPECT_EQ(withoutDatabase.Search(QStringLiteral("12")), Outcome::Failed);
    withoutWindow.Edit();
    EXPECT_EQ(errorReports().size(), 3);
}

TEST_F(ArticleSearching, PrintAndEditAreTheMainWindowsCommandsOnTheSelection)
{
    ASSERT_EQ(search.Search(QStringLiteral("312")), Outcome::Found);
    search.PrintLabel();
    search.Edit();
    EXPECT_EQ(main->labelCommands, 1);
    ASSERT_EQ(main->edits.size(), 1);
    EXPECT_EQ(main->edits.first(), main->selection);
}

}   // namespace
