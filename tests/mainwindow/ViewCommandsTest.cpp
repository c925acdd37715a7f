// The commands that change what the main window shows: the date selection with the texts of
// its button, the currency conversion, the section buttons and the predefined selections.
#include "core/configuration/Configuration.h"
#include "operations/DetailView.h"
#include "mainwindow/GridFields.h"
#include "GridTestSupport.h"
#include "operations/SectionTree.h"
#include "mainwindow/ViewCommands.h"
#include "ViewShop.h"
#include "ViewTestDialogs.h"

namespace {

const QLocale kItalian(QLocale::Italian, QLocale::Italy);

class ViewCommandsTest : public ViewShop {
protected:
    void SetUp() override
    {
        addArticle({"A", "1.00", "0.50", 100});
        for (const QDateTime& when :
             {QDateTime(QDate(2007, 3, 5), QTime(23, 59)), QDateTime(QDate(2007, 3, 10), QTime(9, 0)),
              QDateTime(QDate(2007, 4, 20), QTime(9, 0))}) {
            at(when);
            sell("A", 1);
        }
        setUiServices(shown);
        showSales();
        calls.clear();
    }
    void showSales() { ASSERT_EQ(view.Refresh(nodeRequest("Vendite")), DetailView::Outcome::Shown); }
    QString button()
    {
        // The caption of the view's date field, as the window reads it from the shown fields.
        QString caption;
        for (const FieldInfo& f : ShownFields(view))
            if (f.Name == view.Query().DateField) caption = f.Caption;
        return commands.Captions(caption, kItalian).button;
    }

    DateSelection dates {QDate(2007, 3, 5)};
    TestDialogs dialogs;
    SelectionStore store;
    DetailView view {db(), dates, dialogs, selectionsIn(store)};
    std::shared_ptr<RecordingUi> shown = std::make_shared<RecordingUi>();
    QStringList calls;
    ViewCommands commands {view, db(), dates, dialogs,
                           ViewCommandHooks {[this] { calls << "captions"; }, [this] { calls << "save"; },
                                             [this] {
                                                 calls << "refresh";
                                                 showSales();
                                             }}};
};

TEST_F(ViewCommandsTest, DateCommandsCaptionsAndRows)
{
    EXPECT_EQ(button(), "Vendita  < 05 mar 2007 >") << "day mode on today, as the program starts";
    EXPECT_EQ(view.DataSet()->RowCount(), 1) << "the sale at 23:59 belongs to its day";

    using Answer = std::function<void(TestDialogs&)>;
    const auto date = [](QDate d) -> Answer { return [d](TestDialogs& t) { t.date = d; }; };
    const auto period = [](std::optional<QDate> f, std::optional<QDate> t) -> Answer {
        return [f, t](TestDialogs& d) { d.period = std::make_pair(f, t); };
    };
    const Answer cancel = [](TestDialogs& t) {
        t.date.reset();
        t.period.reset();
    };
    struct Case {
        const char* what;
        void (ViewCommands::*command)();
        Answer answer;
        QStringList calls;
        const char* button;
        qint64 rows;
    };
    const QStringList shownAgain {"captions", "refresh"};
    const QStringList savedAndShown {"captions", "save", "refresh"};
    const Case cases[] = {
        {"month of a day in April", &ViewCommands::SelectMonth, date(QDate(2007, 4, 3)), shownAgain,
         "Vendita  < aprile 2007 >", 1},
        {"day dialog cancelled", &ViewCommands::SelectDay, cancel, {}, "Vendita  < aprile 2007 >", 1},
        {"a period from its start alone", &ViewCommands::SelectPeriod, period(QDate(2007, 3, 1), std::nullopt),
         savedAndShown, "< 01 mar 2007 -  >", 3},
        {"a whole period", &ViewCommands::SelectPeriod, period(QDate(2007, 3, 1), QDate(2007, 3, 10)), savedAndShown,
         "< 01 mar 2007 - 10 mar 2007 >", 2},
        {"period dialog cancelled: the period set before", &ViewCommands::SelectPeriod, cancel, savedAndShown,
         "< 01 mar 2007 - 10 mar 2007 >", 2},
        {"all dates", &ViewCommands::SelectAll, cancel, savedAndShown, "< tutti >", 3},
        {"all dates again: nothing", &ViewCommands::SelectAll, cancel, {}, "< tutti >", 3},
        {"one day", &ViewCommands::SelectDay, date(QDate(2007, 3, 10)), shownAgain, "Vendita  < 10 mar 2007 >", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        calls.clear();
        c.answer(dialogs);
        (commands.*c.command)();
        EXPECT_EQ(calls, c.calls);
        EXPECT_EQ(button(), QString::fromUtf8(c.button));
        EXPECT_EQ(view.DataSet()->RowCount(), c.rows);
    }
    EXPECT_EQ(dialogs.dateStart, QDate(2007, 4, 3)) << "the day dialog opens on the day selected before";
}

TEST_F(ViewCommandsTest, CurrencyConversionShowsAgainThenStores)
{
    const bool before = settings().CurrencyConversion;
    EXPECT_TRUE(commands.ToggleCurrencyConversion(false));
    EXPECT_TRUE(settings().CurrencyConversion);
    EXPECT_EQ(calls, (QStringList {"refresh", "save"}));
    EXPECT_FALSE(commands.ToggleCurrencyConversion(true));
    EXPECT_FALSE(settings().CurrencyConversion);
    settings().CurrencyConversion = before;
}

TEST_F(ViewCommandsTest, SectionButtonsSelectTheirNode)
{
    const std::vector<SectionNode> nodes = SectionTreeNodes(db(), {});
    int sales = 0, section = 0;
    for (const SectionNode& n : nodes) {
        if (n.key == "Vendite") sales = n.index;
        if (n.key.isEmpty() && n.index > 1) section = n.index;
    }
    ASSERT_GT(sales, 0);
    ASSERT_GT(section, 0);

    const std::tuple<QString, std::optional<int>> cases[] = {
        {"Vendite", sales},
        {QString::number(section), section},   // a node without key is named by its position
        {"vendite", std::nullopt},   // keys compare exactly
        {"Nonesiste", std::nullopt},
        {QString::number(nodes.size() + 1), std::nullopt},
    };
    for (const auto& [tag, node] : cases) {
        SCOPED_TRACE(tag.toStdString());
        calls.clear();
        std::optional<int> selected;
        commands.SectionButtonClicked(tag, nodes, [&](int index) {
            selected = index;
            calls << "select";
        });
        EXPECT_EQ(selected, node);
        EXPECT_EQ(calls, node ? (QStringList {"select", "refresh"}) : QStringList {"refresh"})
            << "the node first, then the view";
    }
}

TEST_F(ViewCommandsTest, PredefinedSelectionsStoredAndRemovedByCaption)
{
    // Cancelled: nothing stored, the menu left alone.
    EXPECT_EQ(commands.EditPredefinedSelections("Vendite"), std::nullopt);
    EXPECT_TRUE(store.saved.empty());

    dialogs.selections = SelectionStore::Saved {"Completato = True", {"Completato"}};
    EXPECT_EQ(commands.EditPredefinedSelections("Vendite"), true);
    ASSERT_EQ(store.saved.count("Vendite"), 1);
    EXPECT_EQ(store.saved["Vendite"].where, "Completato = True");
    ASSERT_EQ(shown->boxes.size(), 1);
    EXPECT_TRUE(shown->boxes[0].text.startsWith("Selezioni predefinite impostate.\r\rN.B.: Tali impostazioni"));
    EXPECT_EQ(shown->boxes[0].flags, Msg::Information);
    EXPECT_TRUE(calls.isEmpty()) << "the view is not shown again: the selections apply from the next one";
    EXPECT_EQ(dialogs.asked.last(), "selections:Selezioni predefinite");

    // The next view of the node asks for them first.
    showSales();
    EXPECT_TRUE(view.Query().SelectionsBeforeQuery);
    EXPECT_TRUE(view.Query().Where.startsWith("(Completato = True) AND ")) << view.Query().Where.toStdString();

    shown->boxes.clear();
    EXPECT_EQ(commands.DeletePredefinedSelections("Vendite"), false);
    EXPECT_TRUE(store.saved.empty());
    ASSERT_EQ(shown->boxes.size(), 1);
    EXPECT_EQ(shown->boxes[0].text, "Selezioni predefinite eliminate.");
    EXPECT_EQ(view.Builder().Selection(), nullptr);
    EXPECT_EQ(commands.DeletePredefinedSelections("Vendite"), false);
    EXPECT_EQ(shown->boxes.size(), 1) << "nothing stored: nothing said";

    // Nothing shown: the commands do nothing.
    ASSERT_EQ(view.Refresh(nodeRequest("")), DetailView::Outcome::NoView);
    const qsizetype asked = dialogs.asked.size();
    EXPECT_EQ(commands.EditPredefinedSelections("Vendite"), std::nullopt);
    EXPECT_EQ(commands.DeletePredefinedSelections("Vendite"), std::nullopt);
    EXPECT_EQ(dialogs.asked.size(), asked);
}

}   // namespace
