// A refresh of the main window's view: one at a time, the current row kept on the same
// table, and a view that cannot be opened reported with nothing left on show.
#include "operations/DateSelection.h"
#include "operations/DetailView.h"
#include "ViewShop.h"
#include "ViewTestDialogs.h"

namespace {

class DetailViewTest : public ViewShop {
protected:
    void SetUp() override
    {
        addSupplier("Rossi");
        addArticle({"A", "1.00", "0.50", 50, 100});
        at(QDateTime(QDate(2007, 3, 5), QTime(9, 0)));
        first = sell("A", 1);
        second = sell("A", 2);
    }

    static DetailView::Request node(const QString& key, const QString& where = QString())
    {
        return nodeRequest(key, where);
    }

    DateSelection dates {QDate(2007, 3, 5)};
    TestDialogs dialogs;
    DetailView view {db(), dates, dialogs};
    qint64 first = 0, second = 0;
};

TEST_F(DetailViewTest, SameTableShownAgainKeepsTheGridsRow)
{
    ASSERT_EQ(view.Refresh(node("Vendite")), DetailView::Outcome::Shown);
    EXPECT_EQ(view.DataSet()->GetOID(), first);
    auto again = node("Vendite");
    again.gridBookmark = second;
    ASSERT_EQ(view.Refresh(again), DetailView::Outcome::Shown);
    EXPECT_EQ(view.KeptRow(), second);
    EXPECT_EQ(view.DataSet()->GetOID(), second);

    auto other = node("Clienti");
    other.gridBookmark = second;
    ASSERT_EQ(view.Refresh(other), DetailView::Outcome::Shown);
    EXPECT_FALSE(view.KeptRow());
    EXPECT_EQ(view.DataSet()->tableName(), "Clienti");
}

TEST_F(DetailViewTest, FailedSelectIsReportedAndNothingOldStaysOnShow)
{
    ASSERT_EQ(view.Refresh(node("Vendite")), DetailView::Outcome::Shown);
    // The same table again with its current row carried over, then a condition that cannot run.
    auto broken = node("Vendite", "Completatoo = 1");
    broken.gridBookmark = second;
    prompts->addAnswer("No");
    EXPECT_EQ(view.Refresh(broken), DetailView::Outcome::Failed);
    ASSERT_EQ(prompts->prompts().size(), 1);
    EXPECT_TRUE(prompts->prompts().first().startsWith("Visualizzazione dati fallita: \r\r"))
        << prompts->prompts().first().toStdString();
    EXPECT_FALSE(view.HasView());
    EXPECT_EQ(view.DataSet(), nullptr);
    EXPECT_EQ(view.Title(), " Dettagli:");
    EXPECT_FALSE(view.Refreshing());

    // An entry that wrote its own title and then failed: the title goes back to its standing text.
    dialogs.supplier = "Rossi";
    ASSERT_EQ(view.Refresh(node("Articoli Fornitore")), DetailView::Outcome::Shown);
    EXPECT_EQ(view.Title(), " Fornitore: Rossi");
    prompts->addAnswer("No");
    EXPECT_EQ(view.Refresh(node("Articoli Sottoscorta", "Nonesiste > 0")), DetailView::Outcome::Failed);
    EXPECT_EQ(view.Title(), " Dettagli:");
    EXPECT_EQ(view.DataSet(), nullptr);

    // A key that names no table (it differs from a report's only in case).
    prompts->addAnswer("No");
    EXPECT_EQ(view.Refresh(node("articoli sottoscorta")), DetailView::Outcome::Failed);
    EXPECT_EQ(prompts->prompts().size(), 3);

    // The next refresh runs.
    ASSERT_EQ(view.Refresh(node("Vendite")), DetailView::Outcome::Shown);
    EXPECT_EQ(view.DataSet()->RowCount(), 2);
}

TEST_F(DetailViewTest, RefreshAskedForDuringARefreshDoesNothing)
{
    std::optional<DetailView::Outcome> nested;
    bool busyInside = false;
    dialogs.whileOpen = [&] {
        busyInside = view.Refreshing();
        nested = view.Refresh(node("Vendite"));
    };
    ASSERT_EQ(view.Refresh(node("Articoli Sottoscorta")), DetailView::Outcome::Shown);
    EXPECT_TRUE(busyInside);
    EXPECT_EQ(nested, DetailView::Outcome::Skipped);
    EXPECT_EQ(view.DataSet()->tableName(), "Articoli") << "the first refresh's view, untouched";
    EXPECT_FALSE(view.Refreshing());
}

TEST_F(DetailViewTest, SectionNodeShowsNothingAndCarriesNothingOver)
{
    ASSERT_EQ(view.Refresh(node("Vendite")), DetailView::Outcome::Shown);
    DetailView::Request section;
    section.node = ViewNode {"", "Anagrafica"};
    EXPECT_EQ(view.Refresh(section), DetailView::Outcome::NoView);
    EXPECT_FALSE(view.HasView());
    EXPECT_EQ(view.Query().StatusTexts, QStringList {" Sezione: <Anagrafica>"});
    auto back = node("Vendite");
    back.gridBookmark = second;
    ASSERT_EQ(view.Refresh(back), DetailView::Outcome::Shown);
    EXPECT_EQ(view.Query().PreviousTable, "") << "the grid held no view to carry over";
    EXPECT_FALSE(view.KeptRow());
}

// The month's rows are read through the date index; its bounds must let through exactly the
// rows whose Month() and Year() are the chosen ones, and the shown condition stays the Jet one.
TEST_F(DetailViewTest, MonthViewHoldsExactlyTheMonthsRows)
{
    struct Sale {
        QDateTime when;
        bool inDecember2007;
    };
    const Sale sales[] = {
        {QDateTime(QDate(2007, 11, 30), QTime(23, 59, 59)), false}, {QDateTime(QDate(2007, 12, 1), QTime(0, 0)), true},
        {QDateTime(QDate(2007, 12, 31), QTime(23, 59, 59)), true},  {QDateTime(QDate(2008, 1, 1), QTime(0, 0)), false},
        {QDateTime(QDate(2006, 12, 15), QTime(12, 0)), false},
    };
    QList<QDateTime> december;
    for (const Sale& s : sales) {
        at(s.when);
        sell("A", 1);
        if (s.inDecember2007) december << s.when;
    }
    ASSERT_TRUE(dates.SelectMonth(QDate(2007, 12, 15)));
    struct Case {
        const char* node;
        const char* dateField;
        const char* where;
    };
    const Case cases[] = {
        {"Vendite", "DataVendita", "Month(DataVendita) = 12 AND Year(DataVendita) = 2007"},
        {"Articoli Venduti", "DataScarico", "Month(DataScarico) = 12 AND Year(DataScarico) = 2007"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.node);
        ASSERT_EQ(view.Refresh(node(c.node)), DetailView::Outcome::Shown);
        EXPECT_EQ(view.Query().Where, c.where);
        TableData& ds = *view.DataSet();
        QList<QDateTime> shown;
        for (ds.MoveFirst(); !ds.IsEOF(); ds.MoveNext()) shown << ds.GetValue(c.dateField).toDateTime();
        std::sort(shown.begin(), shown.end());
        EXPECT_EQ(shown, december);
    }
}

TEST_F(DetailViewTest, ClosedDatabaseIsLeftAlone)
{
    db().Close();
    EXPECT_EQ(view.Refresh(node("Vendite")), DetailView::Outcome::Skipped);
    EXPECT_TRUE(prompts->prompts().isEmpty());
}

}   // namespace
