// Searching the shown rows: a typed letter finds the first match, F3 walks the next ones, and
// the end of the matches is said to the user with the row left where it was.
#include "operations/DateSelection.h"
#include "operations/DetailView.h"
#include "mainwindow/GridFields.h"
#include "mainwindow/GridSearch.h"
#include "GridTestSupport.h"
#include "ViewShop.h"
#include "ViewTestDialogs.h"

namespace {

class GridSearchTest : public ViewShop {
protected:
    void SetUp() override
    {
        for (const auto& [code, description, stock] :
             {std::tuple {"1", "Pane", 5.0}, std::tuple {"2", "L'olio", 2.0}, std::tuple {"3", "Pasta", 5.0},
              std::tuple {"4", "Panettone", 1.0}})
            select("Articoli")->AddRow({"Codice", code, "Descrizione", description, "ValoreScorta", stock});
        ASSERT_EQ(view.Refresh(nodeRequest("Articoli")), DetailView::Outcome::Shown);
        menus = BuildFieldMenus(ShownFields(view));
        search.SetColumns(menus.search, menus.findColumn);
        for (size_t i = 0; i < menus.search.size(); ++i)
            if (menus.search[i].tag == "Descrizione") descrizione = int(i) + 1;
        ASSERT_GT(descrizione, 0);
        setUiServices(shown);
    }

    TableData& ds() { return *view.DataSet(); }
    QString current() { return ds().GetValue("Descrizione").toString(); }
    void answer(const QString& text, bool inside = false)
    {
        prompt.answers.push_back(QueuedSearchPrompt::Answer {text, inside});
    }

    DateSelection dates {QDate(2007, 3, 5)};
    TestDialogs dialogs;
    DetailView view {db(), dates, dialogs};
    FieldMenus menus;
    std::shared_ptr<RecordingUi> shown = std::make_shared<RecordingUi>();
    SearchTextMemory memory;
    QueuedSearchPrompt prompt {memory};
    GridSearch search {memory, prompt};
    int descrizione = 0;
};

TEST_F(GridSearchTest, TypedLetterThenF3WalksTheMatchesAndSaysWhenNoneIsLeft)
{
    answer("p");   // any case: the pattern is compared without it
    ASSERT_EQ(search.SearchColumn(ds(), descrizione), GridSearch::Outcome::Found);
    EXPECT_EQ(current(), "Pane");
    EXPECT_EQ(prompt.asked, QStringList {"Descrizione|"});
    EXPECT_EQ(search.FindColumn(), descrizione) << "the Find button keeps the column searched";

    EXPECT_EQ(search.SearchNext(ds()), GridSearch::Outcome::Found);
    EXPECT_EQ(current(), "Pasta");
    EXPECT_EQ(search.SearchNext(ds()), GridSearch::Outcome::Found);
    EXPECT_EQ(current(), "Panettone");
    EXPECT_TRUE(shown->boxes.empty());

    EXPECT_EQ(search.SearchNext(ds()), GridSearch::Outcome::NotFound);
    EXPECT_EQ(current(), "Panettone") << "the grid keeps its row";
    ASSERT_EQ(shown->boxes.size(), 1);
    EXPECT_EQ(shown->boxes[0].text, " 'p' non trovato");
    EXPECT_EQ(shown->boxes[0].flags, Msg::Information);
    EXPECT_EQ(shown->boxes[0].title, "Ricerca in Descrizione");
    EXPECT_EQ(prompt.asked.size(), 1) << "F3 never asks again while a text is held";

    // A new search with OK starts from the first row again.
    answer("pa");
    ASSERT_EQ(search.SearchColumn(ds(), descrizione), GridSearch::Outcome::Found);
    EXPECT_EQ(current(), "Pane");
}

TEST_F(GridSearchTest, PatternsAndTextsAsTyped)
{
    const std::tuple<const char*, bool, const char*> cases[] = {
        {"ol", true, "L'olio"},   // inside the text
        {"ol", false, nullptr},   // only at the start
        {"L'o", false, "L'olio"},   // a quote is part of the text looked for
        {"pasta", false, "Pasta"}, {"a = b", false, nullptr},
    };
    for (const auto& [text, inside, found] : cases) {
        SCOPED_TRACE(text);
        ds().MoveFirst();
        answer(text, inside);
        const GridSearch::Outcome o = search.SearchColumn(ds(), descrizione);
        if (found) {
            EXPECT_EQ(o, GridSearch::Outcome::Found);
            EXPECT_EQ(current(), found);
        } else {
            EXPECT_EQ(o, GridSearch::Outcome::NotFound);
        }
    }
    EXPECT_EQ(GridSearch::Pattern("abc", false), "abc*");
    EXPECT_EQ(GridSearch::Pattern("abc", true), "*abc*");
}

TEST_F(GridSearchTest, F3BeforeAnySearch)
{
    // The view's default column with no text held: the dialog asks for one.
    ASSERT_TRUE(menus.findColumn);
    prompt.answers.push_back(std::nullopt);
    EXPECT_EQ(search.SearchNext(ds()), GridSearch::Outcome::Cancelled);
    ASSERT_EQ(prompt.asked.size(), 1);
    EXPECT_EQ(prompt.asked.first(), menus.search[size_t(*menus.findColumn - 1)].caption + "|");

    // A view without text columns: the window pops up the column list.
    GridSearch none {memory, prompt};
    none.SetColumns({}, std::nullopt);
    EXPECT_EQ(none.SearchNext(ds()), GridSearch::Outcome::PickColumn);
}

TEST_F(GridSearchTest, CellValueLooksFurtherDown)
{
    ds().MoveFirst();   // Pane, stock 5
    // A text column: the value is searched as if typed, after the current row.
    EXPECT_EQ(search.SearchCellValue(ds(), "Descrizione", "Pa"), GridSearch::Outcome::Found);
    EXPECT_EQ(current(), "Pasta");
    EXPECT_EQ(memory.SearchText, "Pa") << "F3 goes on with it";
    EXPECT_EQ(search.SearchNext(ds()), GridSearch::Outcome::Found);
    EXPECT_EQ(current(), "Panettone");

    // A number column: the value compared as a number.
    ds().MoveFirst();
    EXPECT_EQ(search.SearchCellValue(ds(), "ValoreScorta", "5"), GridSearch::Outcome::Found);
    EXPECT_EQ(current(), "Pasta");
    EXPECT_EQ(search.SearchCellValue(ds(), "ValoreScorta", "5"), GridSearch::Outcome::NotFound);
    EXPECT_EQ(current(), "Pasta");
    ASSERT_EQ(shown->boxes.size(), 1);
    EXPECT_EQ(shown->boxes[0].text, " 'ValoreScorta = 5' non trovato");
    EXPECT_EQ(shown->boxes[0].title, "Ricerca in ValoreScorta");
    EXPECT_TRUE(memory.SearchText.isEmpty()) << "the next F3 asks again";
}

TEST_F(GridSearchTest, TextSurvivesOnlyTheSameTableShownAgain)
{
    answer("pa");
    ASSERT_EQ(search.SearchColumn(ds(), descrizione), GridSearch::Outcome::Found);

    DetailView::Request again = nodeRequest("Articoli");
    again.gridBookmark = ds().GetOID();
    ASSERT_EQ(view.Refresh(again), DetailView::Outcome::Shown);
    search.ViewOpened(view.Query(), BuildFieldMenus(ShownFields(view)));
    EXPECT_EQ(memory.SearchText, "pa");
    EXPECT_EQ(search.FindColumn(), menus.findColumn) << "every view starts on its default column";

    ASSERT_EQ(view.Refresh(nodeRequest("Clienti")), DetailView::Outcome::Shown);
    search.ViewOpened(view.Query(), BuildFieldMenus(ShownFields(view)));
    EXPECT_EQ(memory.SearchText, "");
}

}   // namespace
