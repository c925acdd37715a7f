// The main window's detail area, driven through the real window offscreen: the date button's
// captions as the date commands change the view, the column sort from the grid's header, the
// column filters and totals against sqlite3, the search started by a letter and walked with
// F3, the related-data menus of a sale, the predefined selections kept by the library's
// filter, the stock at a past date worked on as any view, and what the article search asks of
// the window.
#include "mainwindow/DetailViewPanel.h"
#include "GridTestSupport.h"
#include "objdb/ui/LibraryApplication.h"
#include "mainwindow/MainWindowMenus.h"
#include "objdb/ui/ObjDataGrid.h"
#include "ShopWindow.h"
#include "objdb/TableData.h"
#include "objdb/ui/ViewWindow.h"
#include "mainwindow/frmMain.h"
#include "dialogs/frmSearchText.h"
#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableView>
#include <QToolBar>
#include <QTreeWidget>
#include <algorithm>

namespace {

std::vector<qint64> sorted(std::vector<qint64> v)
{
    std::sort(v.begin(), v.end());
    return v;
}

QAction* elementOf(const std::vector<QAction*>& elements, const QString& tag)
{
    for (QAction* a : elements)
        if (a->data().toString() == tag || a->text() == tag) return a;
    return nullptr;
}

// The rows' windows of the library now open, by table.
ViewWindow* openRowsWindow(const QString& table)
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* v = qobject_cast<ViewWindow*>(w); v && v->isVisible() && v->Data().tableName() == table) return v;
    return nullptr;
}

// The find dialog as an operator uses it: the text already typed stays, OK is pressed. Every
// other question goes to the test's script.
class TypingUi final : public UiServices {
public:
    explicit TypingUi(std::shared_ptr<ScriptedUiServices> script) : m_script(std::move(script)) { }
    QStringList typedTexts;

    int msgBox(const QString& t, int f, const QString& ti) override { return m_script->msgBox(t, f, ti); }
    std::optional<QString> inputBox(const QString& p, const QString& t, const QString& d) override
    {
        return m_script->inputBox(p, t, d);
    }
    std::optional<QString> openFileName(const QString& t, const QString& f, const QString& i) override
    {
        return m_script->openFileName(t, f, i);
    }
    std::optional<QString> saveFileName(const QString& t, const QString& f, const QString& i) override
    {
        return m_script->saveFileName(t, f, i);
    }
    std::optional<QString> folderName(const QString& t, const QString& i) override
    {
        return m_script->folderName(t, i);
    }
    bool runModal(ModalWindow& window) override
    {
        auto* find = dynamic_cast<frmSearchText*>(&window);
        if (!find) return m_script->runModal(window);
        typedTexts << find->TypedText();
        find->findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
        return window.isAccepted();
    }
    void beep() override { m_script->beep(); }
    bool openUrl(const QString& u) override { return m_script->openUrl(u); }
    void status(const QString& text) override { m_script->status(text); }

private:
    std::shared_ptr<ScriptedUiServices> m_script;
};

class DetailWindow : public ShopWindow {
protected:
    void SetUp() override { start(); }
    frmMain& shown(const QString& key)
    {
        frmMain& w = window();
        w.Panel().SetLocale(QLocale(QLocale::Italian, QLocale::Italy));
        showNode(key);
        return w;
    }
    const MainWindowMenus& menus() { return window().Menus(); }
    QAction* toolbar(const char* key) { return ToolbarAction(*window().ToolBar(), QString::fromLatin1(key)); }
};

}   // namespace

TEST_F(DetailWindow, TheDateButtonSaysWhatTheDateCommandsShow)
{
    article("A", "Pane", "1.00");
    auto at = [&](int month, int day, int hour, int minute) {
        clock->set(QDateTime(QDate(2007, month, day), QTime(hour, minute)));
    };
    at(3, 5, 23, 59);
    const qint64 lateOnThe5th = sale({{"A", 1, "1.00"}});
    at(3, 6, 10, 0);
    const qint64 the6th = sale({{"A", 1, "1.00"}});
    at(2, 20, 10, 0);
    const qint64 february = sale({{"A", 1, "1.00"}});
    at(3, 12, 9, 0);
    const qint64 today = sale({{"A", 1, "1.00"}});

    frmMain& w = shown("Vendite");
    const QString field = w.Panel().DataSet()->GetFieldInfo(QStringLiteral("DataVendita")).Caption;
    QPushButton* button = w.findChild<QPushButton*>(QStringLiteral("cmdDateSel"));
    ASSERT_TRUE(button);
    EXPECT_TRUE(button->isVisible());

    struct Case {
        const char* command;
        QAction* menu;
        QStringList answers;
        QString caption, toolTip;
        std::vector<qint64> rows;
        QAction* ticked;
    };
    const Case cases[] = {
        {"the day at start",
         nullptr,
         {},
         "Vendita  < 12 mar 2007 >",
         "Dati del giorno 12/03/2007 relativi a " + field,
         {today},
         menus().mnuSelDate},
        {"a day",
         menus().mnuSelDate,
         {"05/03/2007"},
         "Vendita  < 05 mar 2007 >",
         "Dati del giorno 05/03/2007 relativi a " + field,
         {lateOnThe5th},
         menus().mnuSelDate},
        {"a month",
         menus().mnuSelMonth,
         {"05/03/2007"},
         "Vendita  < marzo 2007 >",
         "Dati del mese 03/2007 relativi a " + field,
         {lateOnThe5th, the6th, today},
         menus().mnuSelMonth},
        {"a period",
         menus().mnuSelPeriod,
         {"01/03/2007\t06/03/2007"},
         "< 01 mar 2007 - 06 mar 2007 >",
         "Dati del periodo < 01/03/2007 - 06/03/2007 > relativi a " + field,
         {lateOnThe5th, the6th},
         menus().mnuSelPeriod},
        {"all dates",
         menus().mnuSelAll,
         {},
         "< tutti >",
         "Nessuna selezione per " + field,
         {lateOnThe5th, the6th, february, today},
         menus().mnuSelAll},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        for (const QString& a : c.answers) prompts->addAnswer(a);
        if (c.menu) c.menu->trigger();
        EXPECT_FALSE(answersLeft());
        EXPECT_EQ(button->text(), c.caption);
        EXPECT_EQ(button->toolTip(), c.toolTip);
        const QString menuCaption
            = c.menu == menus().mnuSelAll ? "Seleziona per " + field : "Solo in data " + c.caption;
        EXPECT_EQ(menus().mnuSelection->title(), menuCaption);
        for (QAction* mode : {menus().mnuSelAll, menus().mnuSelDate, menus().mnuSelMonth, menus().mnuSelPeriod})
            EXPECT_EQ(mode->isChecked(), mode == c.ticked) << mode->objectName().toStdString();
        EXPECT_EQ(sorted(gridOids()), sorted(c.rows));
    }
    EXPECT_TRUE(shownErrors.isEmpty());

    // A view without a date field has no date button.
    showNode(QStringLiteral("Clienti"));
    EXPECT_FALSE(button->isVisible());
    EXPECT_FALSE(menus().mnuSelection->menuAction()->isVisible());
}

TEST_F(DetailWindow, AHeaderClickedThreeTimesSortsUpDownUp)
{
    customer("Bianchi", "C1", "Siena");
    customer("Rossi", "C2", "Arezzo");
    customer("Verdi", "C3", "Pisa");
    frmMain& w = shown("Clienti");
    const int citta = w.Grid()->Model()->ColumnOf(QStringLiteral("Citta"));
    ASSERT_GE(citta, 0);
    struct Step {
        QString order;
        QStringList cities;
    };
    // The shop's own customer has no city: first going up, last going down.
    const Step steps[] = {
        {"Citta", {"", "Arezzo", "Pisa", "Siena"}},
        {"Citta DESC", {"Siena", "Pisa", "Arezzo", ""}},
        {"Citta ASC", {"", "Arezzo", "Pisa", "Siena"}},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.order.toStdString());
        emit w.Grid()->View()->horizontalHeader()->sectionClicked(citta);
        EXPECT_EQ(w.Panel().DataSet()->GetOrder(), s.order);
        EXPECT_EQ(column(QStringLiteral("Citta")), s.cities);
    }
}

TEST_F(DetailWindow, TwoColumnFiltersGiveTheRowsOfSqliteAndTheTotalItsSum)
{
    article("P1", "Pane casereccio", "2.40");
    article("P2", "Pane integrale", "3.15");
    article("L1", "Latte intero", "1.35");
    article("P3", "Panna da cucina", "1.99");
    article("P4", "Pasta di semola", "0.89");
    article("X9", "Pane nero", "4.05");
    frmMain& w = shown("Articoli");
    GridMenuCommands& grid = w.Panel().Grid();
    QAction* description = elementOf(grid.FilterElements(), QStringLiteral("Descrizione"));
    QAction* code = elementOf(grid.FilterElements(), QStringLiteral("Codice"));
    ASSERT_TRUE(description && code);

    answer({"Pan", "P"});
    description->trigger();
    code->trigger();
    EXPECT_FALSE(answersLeft());
    EXPECT_EQ(description->text(), QStringLiteral("Descrizione = 'Pan*'"));
    EXPECT_TRUE(description->isChecked());
    EXPECT_TRUE(code->isChecked());
    EXPECT_TRUE(toolbar("Filter")->isChecked());
    // The status bar names both, in the order of the columns' elements.
    const QString status = log().filter(QStringLiteral("STATUS: Attivato filtro")).value(1);
    EXPECT_TRUE(status == QStringLiteral("STATUS: Attivato filtro (Descrizione = 'Pan*' AND Codice = 'P*')")
                || status == QStringLiteral("STATUS: Attivato filtro (Codice = 'P*' AND Descrizione = 'Pan*')"))
        << status.toStdString();

    const QString where = QStringLiteral(" FROM Articoli WHERE Descrizione LIKE 'Pan%' AND Codice LIKE 'P%'");
    std::vector<qint64> expected;
    for (const QString& oid : sqlite3Column(databasePath(), QStringLiteral("SELECT OID") + where))
        expected.push_back(oid.toLongLong());
    ASSERT_EQ(expected.size(), 3u);
    EXPECT_EQ(sorted(gridOids()), sorted(expected));

    // The total of the filtered rows, to the cent.
    const QString sum
        = sqlite3Column(databasePath(), QStringLiteral("SELECT printf('%.2f', SUM(PrezzoVendita))") + where).value(0);
    prompts->clearLog();
    QAction* total = elementOf(grid.TotalElements(), QStringLiteral("PrezzoVendita"));
    ASSERT_TRUE(total);
    total->trigger();
    ASSERT_EQ(messageBoxes().size(), 1);
    const QRegularExpressionMatch m
        = QRegularExpression(QStringLiteral("^TOTALE .*: < (.*) >$")).match(messageBoxes().first());
    ASSERT_TRUE(m.hasMatch()) << messageBoxes().first().toStdString();
    EXPECT_EQ(QLocale(QLocale::Italian).toDouble(m.captured(1)), sum.toDouble());
    EXPECT_EQ(m.captured(1), QString(sum).replace(u'.', u','));

    // Every filter off: the rows come back, the marks go.
    menus().mnuFilterCancel->trigger();
    EXPECT_EQ(gridOids().size(), 6u);
    EXPECT_EQ(description->text(), QStringLiteral("Descrizione"));
    EXPECT_FALSE(description->isChecked());
    EXPECT_FALSE(toolbar("Filter")->isChecked());
}

TEST_F(DetailWindow, ALetterOpensTheSearchOnTheFindColumnAndF3WalksTheMatches)
{
    for (const char* name : {"Bianchi Anna", "Rossi Luca", "Bruni Marco", "Verdi Ugo", "Bassi Ada"})
        customer(QString::fromLatin1(name), QString::fromLatin1(name).left(3));
    frmMain& w = shown("Clienti");
    auto typing = std::make_shared<TypingUi>(prompts);
    setUiServices(typing);
    EXPECT_EQ(menus().mnuSearchNext->shortcut(), QKeySequence(Qt::Key_F3));

    // The matches in the order the grid shows them.
    std::vector<qint64> matches;
    const QStringList names = column(QStringLiteral("Descrizione"));
    const std::vector<qint64> oids = gridOids();
    for (int i = 0; i < names.size(); ++i)
        if (names[i].startsWith(u'B')) matches.push_back(oids[size_t(i)]);
    ASSERT_EQ(matches.size(), 3u);

    QKeyEvent b(QEvent::KeyPress, Qt::Key_B, Qt::NoModifier, QStringLiteral("b"));
    QApplication::sendEvent(w.Grid()->View(), &b);
    EXPECT_EQ(typing->typedTexts, QStringList {"B"}) << "the letter is the dialog's text";
    EXPECT_EQ(w.Grid()->Bookmark(), matches[0]);
    menus().mnuSearchNext->trigger();
    EXPECT_EQ(w.Grid()->Bookmark(), matches[1]);
    menus().mnuSearchNext->trigger();
    EXPECT_EQ(w.Grid()->Bookmark(), matches[2]);
    EXPECT_TRUE(messageBoxes().isEmpty());

    menus().mnuSearchNext->trigger();
    EXPECT_EQ(w.Grid()->Bookmark(), matches[2]) << "no further match: the row stays";
    EXPECT_EQ(messageBoxes(), QStringList {" 'B' non trovato"});
    EXPECT_EQ(typing->typedTexts.size(), 1) << "F3 does not ask again";
}

TEST_F(DetailWindow, TheRelatedMenusOfASaleOpenItsLinesCustomerAndPayments)
{
    article("A", "Pane", "2.00");
    article("B", "Latte", "1.50");
    const qint64 rossi = customer("Rossi Mario", "C1");
    const qint64 s = sale({{"A", 1, "2.00"}, {"B", 2, "3.00"}}, rossi);
    auto payments = select(QStringLiteral("Vendite"), QStringLiteral("OID = %1").arg(s))
                        ->GetReference(QStringLiteral("Pagamento"));
    payments->NewRow();
    payments->SetValue(QStringLiteral("Importo"), QVariant::fromValue(money("5.00")));
    payments->Update();
    customer("Altri", "C2");
    frmMain& w = shown("Vendite");
    setCurrentRow(s);
    GridMenuCommands& grid = w.Panel().Grid();

    // A right click on the rows pops up the related data; on the header, the order.
    const int y = w.Grid()->HeaderHeight();
    emit w.Grid()->MouseUp(Qt::RightButton, Qt::NoModifier, 10, y + 10);
    EXPECT_TRUE(menus().mnuAssociation->isVisible());
    menus().mnuAssociation->hide();
    emit w.Grid()->MouseUp(Qt::RightButton, Qt::NoModifier, 10, y);
    EXPECT_TRUE(menus().mnuOrder->isVisible());
    menus().mnuOrder->hide();

    struct Case {
        RelatedKind kind;
        const char* caption;
        const char* table;
        int rows;
    };
    const Case cases[] = {
        {RelatedKind::Association, "Scarico articoli", "ScaricoArticoli", 2},
        {RelatedKind::Reference, "Clienti (Cliente)", "Clienti", 1},
        {RelatedKind::Association, "Pagamenti del Cliente", "PagamentiCliente", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caption);
        QAction* entry = elementOf(grid.RelatedElements(c.kind), QString::fromLatin1(c.caption));
        ASSERT_TRUE(entry);
        entry->trigger();
        EXPECT_FALSE(openRowsWindow(QString::fromLatin1(c.table))) << "nothing opens inside the menu's click";
        settle();
        ViewWindow* opened = openRowsWindow(QString::fromLatin1(c.table));
        ASSERT_TRUE(opened);
        EXPECT_EQ(opened->Data().RowCount(), c.rows);
        if (c.kind == RelatedKind::Reference) {
            EXPECT_EQ(opened->Data().GetOID(), rossi);
        }
    }
    EXPECT_TRUE(menus().mnuReferencedItem->isVisible());
    EXPECT_FALSE(menus().mnuContItem->isVisible()) << "a sale is held by nothing";
    EXPECT_TRUE(shownErrors.isEmpty());

    // The database goes: nothing opened from it stays to read it.
    ASSERT_EQ(LibraryApplication::Instance().OpenWindows(), 3);
    w.ReleaseDatabase();
    EXPECT_EQ(LibraryApplication::Instance().OpenWindows(), 0);
    EXPECT_FALSE(w.Grid()->IsAttached());
    EXPECT_FALSE(w.Panel().DataSet());
}

TEST_F(DetailWindow, PredefinedSelectionsAreAskedBeforeTheNodesNextView)
{
    customer("Bianchi", "C1", "Siena");
    customer("Rossi", "C2", "Pisa");
    customer("Verdi", "C3", "Siena");
    frmMain& w = shown("Clienti");
    ASSERT_EQ(gridOids().size(), 4u) << "with the shop's own customer";

    answer({"Citta=Siena", "OK"});
    menus().mnuDataSelBeforeQuery->trigger();
    EXPECT_FALSE(answersLeft());
    EXPECT_TRUE(messageBoxes().value(0).startsWith(QStringLiteral("Selezioni predefinite impostate.\r\rN.B.:")));
    EXPECT_TRUE(menus().mnuDataSelBeforeQuery->isChecked());
    EXPECT_EQ(gridOids().size(), 4u) << "they apply from the next view";

    // The next view asks for them again and shows what they select.
    answer({""});
    menus().mnuViewRefresh->trigger();
    EXPECT_FALSE(answersLeft());
    EXPECT_EQ(column(QStringLiteral("Citta")), (QStringList {"Siena", "Siena"}));
    EXPECT_EQ(w.findChild<QLabel*>(QStringLiteral("lblTitle1"))->text(),
              QStringLiteral(" Dettagli:  [selezioni impostate]"));

    prompts->clearLog();
    answer({"OK"});
    menus().mnuDataSelCancel->trigger();
    EXPECT_EQ(messageBoxes(), QStringList {"Selezioni predefinite eliminate."});
    EXPECT_FALSE(menus().mnuDataSelBeforeQuery->isChecked());
    menus().mnuViewRefresh->trigger();
    EXPECT_EQ(gridOids().size(), 4u);
    EXPECT_EQ(w.findChild<QLabel*>(QStringLiteral("lblTitle1"))->text(), QStringLiteral(" Dettagli:"));
}

// The stock at a past date is a view of the articles like the others: its rows are searched,
// filtered, sorted and totalled with the stock as it was, shown in the place of today's.
TEST_F(DetailWindow, TheStockAtADateIsSearchedFilteredSortedAndTotalledAsItWas)
{
    const qint64 pane = article("P1", "Pane", "1.00");
    const qint64 pasta = article("P2", "Pasta", "2.00");
    const qint64 latte = article("L1", "Latte", "1.50");   // each 1000 in stock
    for (qint64 oid : {pane, pasta, latte}) {
        // Loads count in the stock of an article with a purchase price.
        auto a = select(QStringLiteral("Articoli"), QStringLiteral("OID = %1").arg(oid));
        a->SetValue(QStringLiteral("PrezzoAcquisto"), QVariant::fromValue(money("0.50")));
        a->Update();
    }
    sale({{"P2", 300, "600.00"}});   // on 12 March, the date asked for
    supply({{"L1", 50}});
    clock->set(QDateTime(QDate(2007, 3, 14), QTime(9, 0)));
    sale({{"P1", 4, "4.00"}});   // later: given back
    supply({{"P2", 10}});   // later: taken out

    answer({"12/03/2007"});
    frmMain& w = shown("Ricalcolo Imponibile Magazzino");
    EXPECT_FALSE(answersLeft());
    EXPECT_EQ(w.findChild<QLabel*>(QStringLiteral("lblTitle1"))->text(), QStringLiteral(" Alla data: 13/03/2007"));
    ASSERT_TRUE(w.Panel().DataSet());
    EXPECT_EQ(sorted(gridOids()), sorted({pane, pasta, latte}));
    for (QAction* a : {toolbar("Find"), toolbar("Filter"), menus().mnuSearch->menuAction(),
                       menus().mnuFilter->menuAction(), menus().mnuOrder->menuAction()})
        EXPECT_TRUE(a->isEnabled()) << a->objectName().toStdString();
    GridMenuCommands& grid = w.Panel().Grid();

    // Search: the current row moves to the match.
    QAction* search = elementOf(grid.SearchElements(), QStringLiteral("Descrizione"));
    ASSERT_TRUE(search);
    answer({"Latte"});
    search->trigger();
    EXPECT_EQ(w.Grid()->Bookmark(), latte);

    // Sort by the stock shown: as it was at the date (today Pasta has 710, Pane 996).
    const int stock = w.Grid()->Model()->ColumnOf(QStringLiteral("ValoreScorta"));
    ASSERT_GE(stock, 0);
    emit w.Grid()->View()->horizontalHeader()->sectionClicked(stock);
    EXPECT_EQ(gridOids(), (std::vector<qint64> {pasta, pane, latte}));

    // Filter and total: the filtered rows' stock at the date.
    QAction* filter = elementOf(grid.FilterElements(), QStringLiteral("Descrizione"));
    ASSERT_TRUE(filter);
    answer({"Pa"});
    filter->trigger();
    EXPECT_EQ(sorted(gridOids()), sorted({pane, pasta}));
    QAction* total = elementOf(grid.TotalElements(), QStringLiteral("ValoreScorta"));
    ASSERT_TRUE(total);
    prompts->clearLog();
    total->trigger();
    ASSERT_EQ(messageBoxes().size(), 1);
    const QRegularExpressionMatch m
        = QRegularExpression(QStringLiteral("^TOTALE ValoreScorta: < (.*) >$")).match(messageBoxes().first());
    ASSERT_TRUE(m.hasMatch()) << messageBoxes().first().toStdString();
    EXPECT_EQ(QLocale(QLocale::Italian).toDouble(m.captured(1)), 1700.0);
    EXPECT_TRUE(shownErrors.isEmpty()) << shownErrors.join(u'\n').toStdString();
}

TEST_F(DetailWindow, TheSameTableShownAgainKeepsTheRowAndAnotherForgetsTheSearch)
{
    const qint64 second = [&] {
        customer("Bianchi", "C1");
        const qint64 oid = customer("Rossi", "C2");
        customer("Verdi", "C3");
        return oid;
    }();
    frmMain& w = shown("Clienti");
    setCurrentRow(second);
    menus().mnuViewRefresh->trigger();
    EXPECT_EQ(w.Grid()->Bookmark(), second);

    frmSearchText::memory().SearchText = QStringLiteral("Ros");
    showNode(QStringLiteral("Fornitori"));
    EXPECT_TRUE(frmSearchText::memory().SearchText.isEmpty());
}

TEST_F(DetailWindow, ASectionHidesTheGridAndTurnsTheRowCommandsOff)
{
    customer("Bianchi", "C1");
    frmMain& w = shown("Clienti");
    EXPECT_TRUE(menus().mnuFileDelete->isEnabled());
    EXPECT_TRUE(toolbar("Find")->isEnabled());
    EXPECT_EQ(w.Panel().Grid().FindTag(), QStringLiteral("1"));
    EXPECT_TRUE(menus().mnuToolsOptions->menuAction()->isEnabled()) << "the administrator";

    w.TreeView()->setCurrentItem(w.TreeView()->topLevelItem(0));
    EXPECT_FALSE(w.Grid()->isVisible());
    EXPECT_FALSE(w.Panel().DataSet());
    for (QAction* a : {menus().mnuFileNew, menus().mnuFileDelete, menus().mnuSave, menus().mnuSearch->menuAction(),
                       menus().mnuPrintFunc->menuAction()})
        EXPECT_FALSE(a->isEnabled()) << a->objectName().toStdString();
    EXPECT_FALSE(toolbar("Find")->isEnabled());
    EXPECT_FALSE(w.SectionButtons().empty());
}

TEST_F(DetailWindow, ADoubleClickOnTheWindowsOwnSurfaceOpensTheShownRowsInTheLibrarysWindow)
{
    customer("Bianchi", "C1");
    customer("Rossi", "C2");
    frmMain& w = shown("Clienti");
    QWidget* surface = w.Client();
    auto doubleClick = [&](QWidget* target, QPoint at) {
        QMouseEvent e(QEvent::MouseButtonDblClick, at, target->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
        QApplication::sendEvent(target, &e);
    };
    // Where a control stands, the double click is the control's.
    auto* title = w.findChild<QLabel*>(QStringLiteral("lblTitle1"));
    doubleClick(surface, title->mapTo(surface, title->rect().center()));
    EXPECT_FALSE(openRowsWindow(QStringLiteral("Clienti")));

    std::optional<QPoint> bare;
    for (int y = 0; y < surface->height() && !bare; y += 2)
        for (int x = 0; x < surface->width() && !bare; x += 2)
            if (!surface->childAt(x, y)) bare = QPoint(x, y);
    ASSERT_TRUE(bare) << "some of the window's surface is bare";
    doubleClick(surface, *bare);
    ViewWindow* rows = openRowsWindow(QStringLiteral("Clienti"));
    ASSERT_TRUE(rows);
    EXPECT_EQ(rows->Data().RowCount(), w.Panel().DataSet()->RowCount());
    rows->close();
}

TEST_F(DetailWindow, TheArticleSearchFindsTheWindowsViewAndSelection)
{
    article("A1", "Pane", "1.00");
    const qint64 milk = article("A2", "Latte", "1.20");
    frmMain& w = shown("Clienti");
    ASSERT_EQ(articleSearchHost(), static_cast<ArticleSearchHost*>(&w));

    articleSearchHost()->SelectNode(QStringLiteral("Articoli"));
    EXPECT_EQ(articleSearchHost()->SelectedNodeKey(), QStringLiteral("Articoli"));
    articleSearchHost()->RefreshDetailView();
    TableData* articles = articleSearchHost()->CurrentDataSet();
    ASSERT_TRUE(articles);
    EXPECT_EQ(articles->tableName(), QStringLiteral("Articoli"));

    articleSearchHost()->ClearSelection();
    articleSearchHost()->SelectRow(milk);
    EXPECT_EQ(w.Grid()->Bookmark(), milk);
    EXPECT_EQ(w.Grid()->SelectedBookmarks(), std::vector<qint64> {milk});

    articles->SetFilter(QStringLiteral("Codice = 'A2'"));
    articleSearchHost()->DataSetFiltered();
    EXPECT_EQ(gridOids(), std::vector<qint64> {milk});
}

TEST_F(DetailWindow, TheCellTypedConditionAndLayoutCommandsChangeWhatTheGridShows)
{
    const qint64 bread = article("P1", "Pane", "2.40");
    article("P2", "Latte", "1.35");
    const qint64 cake = article("P3", "Torta", "2.40");
    frmMain& w = shown("Articoli");
    QTableView* view = w.Grid()->View();
    const int price = w.Grid()->Model()->ColumnOf(QStringLiteral("PrezzoVendita"));
    ASSERT_GE(price, 0);

    // A cell of a column no text filter has: the structured filter takes "field = value".
    setCurrentRow(bread);
    view->setCurrentIndex(w.Grid()->Model()->index(view->currentIndex().row(), price));
    menus().mnuFieldFilter->trigger();
    EXPECT_EQ(sorted(gridOids()), sorted({bread, cake}));
    EXPECT_TRUE(menus().mnuFilterComplex->isChecked());
    EXPECT_FALSE(menus().mnuFilterShort->menuAction()->isEnabled()) << "the column filters wait meanwhile";
    EXPECT_TRUE(toolbar("Filter")->isChecked());

    // Its editor opens once the menu has closed; stored under a name, the filter is offered.
    answer({"@save=Due e quaranta"});
    menus().mnuFilterComplex->trigger();
    EXPECT_TRUE(answersLeft()) << "nothing opens inside the menu's click";
    settle();
    EXPECT_FALSE(answersLeft());
    EXPECT_EQ(menus().mnuFilter->actions().last()->text(), QStringLiteral("Due e quaranta"));
    menus().mnuFieldFilterCancelAll->trigger();
    EXPECT_EQ(gridOids().size(), 3u);
    EXPECT_FALSE(menus().mnuFilterComplex->isChecked());

    // A condition typed by the operator selects the rows again.
    answer({"Codice = 'P2'"});
    menus().mnulQueryResult->trigger();
    EXPECT_EQ(column(QStringLiteral("Descrizione")), QStringList {"Latte"});
    menus().mnuViewRefresh->trigger();

    // The field sequence: the columns named, in order, until the layout is reset.
    answer({"Codice, Descrizione"});
    menus().mnuGridFldSequence->trigger();
    EXPECT_EQ(w.Grid()->ShownFields(), (QStringList {"Codice", "Descrizione"}));
    EXPECT_TRUE(menus().mnuGridFldSequence->isChecked());
    menus().mnuGridCancel->trigger();
    EXPECT_GT(w.Grid()->ShownFields().size(), 2);
    EXPECT_FALSE(menus().mnuGridFldSequence->isChecked());
    EXPECT_TRUE(shownErrors.isEmpty()) << shownErrors.join(u'\n').toStdString();
}
