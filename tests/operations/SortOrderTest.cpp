// The column sort: a header clicked again and again turns the order round, and a field is
// only "already in the order" when the order names that very field.
#include "operations/DateSelection.h"
#include "operations/DetailView.h"
#include "RecordingUi.h"
#include "operations/SortOrder.h"
#include "ViewShop.h"
#include "ViewTestDialogs.h"

namespace {

TEST(SortOrder, ToggledOrderComparesWholeFieldNames)
{
    const std::tuple<const char*, const char*, const char*> cases[] = {
        // requested, current, new
        {"DataVendita", "", "DataVendita"},
        {"DataVendita", "DataVendita", "DataVendita DESC"},
        {"DataVendita", "DataVendita DESC", "DataVendita ASC"},
        {"DataVendita", "DataVendita ASC", "DataVendita DESC"},
        {"Data", "DataVendita", "Data"},   // a piece of another name is not the field
        {"Vendita", "DataVendita DESC", "Vendita"},
        {"Numero", "AnnoRiferimento,Numero", "Numero DESC"},   // one term of a composed order
        {"Numero", "AnnoRiferimento DESC,Numero", "Numero DESC"},   // the field's own direction counts
        {"Numero", "AnnoRiferimento,Numero DESC", "Numero ASC"},
        {"numero", "[Numero]", "numero DESC"},   // names compare as Jet does, brackets and case aside
        {"Descrizione", "DESCRIZIONE", "Descrizione DESC"},   // a field whose name starts with DESC
        {"", "DataVendita DESC", ""},   // the default order
        {"A, B", "A", "A, B"},   // composed orders are taken as written
        {"A DESC", "A DESC", "A DESC"},
    };
    for (const auto& [requested, current, expected] : cases)
        EXPECT_EQ(ToggledOrder(requested, current), QString::fromLatin1(expected)) << requested << " over " << current;
}

class SortOrderTest : public ViewShop {
protected:
    void SetUp() override
    {
        addArticle({"A", "1.00", "0.50", 100});
        at(QDateTime(QDate(2007, 3, 5), QTime(9, 0)));
        first = sell("A", 1);
        at(QDateTime(QDate(2007, 3, 5), QTime(11, 0)));
        last = sell("A", 2);
        at(QDateTime(QDate(2007, 3, 5), QTime(10, 0)));
        middle = sell("A", 3);
        ASSERT_EQ(view.Refresh(nodeRequest("Vendite")), DetailView::Outcome::Shown);
        setUiServices(shown);
    }
    qint64 firstShown()
    {
        view.DataSet()->MoveFirst();
        return view.DataSet()->GetOID();
    }

    DateSelection dates {QDate(2007, 3, 5)};
    TestDialogs dialogs;
    DetailView view {db(), dates, dialogs};
    std::shared_ptr<RecordingUi> shown = std::make_shared<RecordingUi>();
    qint64 first = 0, middle = 0, last = 0;
};

TEST_F(SortOrderTest, HeaderClickedThreeTimesGoesUpDownUp)
{
    TableData& ds = *view.DataSet();
    const std::pair<const char*, qint64*> clicks[]
        = {{"DataVendita", &first}, {"DataVendita DESC", &last}, {"DataVendita ASC", &first}};
    for (const auto& [order, top] : clicks) {
        ASSERT_TRUE(ToggleSortOrder("DataVendita", ds));
        EXPECT_EQ(ds.GetOrder(), order);
        EXPECT_EQ(firstShown(), *top) << order;
    }
    ASSERT_TRUE(ToggleSortOrder("", ds));
    EXPECT_EQ(ds.GetOrder(), "");
    EXPECT_TRUE(shown->boxes.empty());
}

TEST_F(SortOrderTest, OrderTheDataSetRefusesIsShownAndTheOldOneStays)
{
    TableData& ds = *view.DataSet();
    ASSERT_TRUE(ToggleSortOrder("DataVendita", ds));
    ASSERT_TRUE(ToggleSortOrder("DataVendita", ds));
    EXPECT_FALSE(ToggleSortOrder("Nonesiste.Campo", ds));
    ASSERT_EQ(shown->boxes.size(), 1);
    EXPECT_EQ(shown->boxes[0].flags, Msg::OKOnly);
    EXPECT_FALSE(shown->boxes[0].text.isEmpty());
    EXPECT_EQ(ds.GetOrder(), "DataVendita DESC");
    EXPECT_EQ(firstShown(), last);
}

}   // namespace
