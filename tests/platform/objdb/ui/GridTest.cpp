// The grid over the program's tables: bookmarks by OID, columns by access level and layout,
// references by their display fields, sorting.
#include "objdb/ui/GridLayout.h"
#include "objdb/ui/ObjDataGrid.h"
#include "objdb/TableObject.h"
#include "TestEnvironment.h"
#include "WidgetShop.h"
#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTableView>
#include <gtest/gtest.h>

namespace {

struct GridFixture : ::testing::Test {
    std::unique_ptr<WidgetShop> shop = std::make_unique<WidgetShop>(1);
    std::shared_ptr<HeldScheduler> scheduler = std::make_shared<HeldScheduler>();
    std::vector<qint64> articles;

    void addArticles(int n)
    {
        for (int i = 0; i < n; ++i)
            articles.push_back(shop->addArticle(QStringLiteral("A%1").arg(i, 4, 10, QChar(u'0')),
                                                QStringLiteral("Articolo %1").arg(i)));
    }
    std::unique_ptr<ObjDataGrid> grid()
    {
        auto g = std::make_unique<ObjDataGrid>(nullptr, "dgTest");
        g->Model()->SetScheduler(scheduler);
        g->resize(600, 300);
        return g;
    }
    void settle() { scheduler->runAll(); }
    void deleteArticle(qint64 oid)
    {
        auto rows = shop->select("Articoli", QStringLiteral("OID = %1").arg(oid));
        rows->MoveFirst();
        rows->DeleteRow();
    }
};

}   // namespace

TEST_F(GridFixture, CurrentAndSelectedRowsStayByOidWhenRowsAboveThemGo)
{
    addArticles(300);
    auto data = shop->select("Articoli", QString(), "Codice");
    auto g = grid();
    g->SetMultipleSelection(true);
    g->SetDataSet(data.get());
    settle();
    g->SetBookmark(articles[250]);
    settle();
    ASSERT_EQ(g->CurrentRow(), 250);
    g->View()->selectionModel()->select(g->Model()->index(250, 0),
                                        QItemSelectionModel::Select | QItemSelectionModel::Rows);
    g->View()->selectionModel()->select(g->Model()->index(260, 0),
                                        QItemSelectionModel::Select | QItemSelectionModel::Rows);
    ASSERT_EQ(g->SelectedBookmarks(), (std::vector<qint64> {articles[250], articles[260]}));

    for (int i = 0; i < 30; ++i) deleteArticle(articles[size_t(i)]);
    g->Refresh();
    settle();

    EXPECT_EQ(g->Bookmark(), std::optional<qint64>(articles[250]));
    EXPECT_EQ(g->CurrentRow(), 220);
    EXPECT_EQ(g->Model()->rowCount(), 270);
    EXPECT_EQ(g->SelectedBookmarks(), (std::vector<qint64> {articles[250], articles[260]}));
    // The grid's own cursor moved; the data set's did not.
    EXPECT_TRUE(g->PositionDataSet());
    EXPECT_EQ(data->GetOID(), articles[250]);
}

TEST_F(GridFixture, TheCurrentRowGoneLeavesNoBookmark)
{
    addArticles(20);
    auto data = shop->select("Articoli");
    auto g = grid();
    g->SetDataSet(data.get());
    settle();
    g->SetBookmark(articles[5]);
    settle();
    ASSERT_EQ(g->Bookmark(), std::optional<qint64>(articles[5]));
    deleteArticle(articles[5]);
    g->Refresh();
    settle();
    EXPECT_EQ(g->Bookmark(), std::nullopt);
}

TEST_F(GridFixture, ColumnsFollowTheOperatorsAccessLevel)
{
    addArticles(3);
    struct Case {
        int level;
        bool purchasePrice;
    } const cases[] = {{0, false}, {1, true}};
    for (const Case& c : cases) {
        shop->db().SetAccessLevel(c.level);
        auto data = shop->select("Articoli");
        auto g = grid();
        g->SetDataSet(data.get());
        EXPECT_EQ(g->ShownFields().contains("PrezzoAcquisto"), c.purchasePrice) << "level " << c.level;
        EXPECT_EQ(g->ShownFields().contains("PrezzoAcquistoMedio"), c.purchasePrice) << "level " << c.level;
        EXPECT_TRUE(g->ShownFields().contains("PrezzoVendita"));
        // Not even by naming it in the field sequence.
        g->Layout()->SetFieldSequence("Codice,PrezzoAcquisto");
        g->ApplyLayout();
        EXPECT_EQ(g->ShownFields(),
                  c.purchasePrice ? QStringList({"Codice", "PrezzoAcquisto"}) : QStringList({"Codice"}));
    }
}

TEST_F(GridFixture, AReferenceShowsItsDisplayField)
{
    addArticles(1);
    auto data = shop->select("Articoli");
    data->MoveFirst();
    const QString unit = data->GetReference("UnitaMisura")->GetText("Descrizione");
    ASSERT_FALSE(unit.isEmpty());
    auto g = grid();
    g->SetDataSet(data.get());
    const int col = g->Model()->ColumnOf("UnitaMisura");
    ASSERT_GE(col, 0);
    EXPECT_EQ(g->Model()->TextAt(0, col), unit);
    // A list has no one text: it has no column.
    EXPECT_EQ(g->Model()->ColumnOf("Fornitori"), -1);
}

TEST_F(GridFixture, ALinesGridCanShowItsParentsFieldsWhenNamed)
{
    addArticles(2);
    const qint64 sale = shop->newSale();
    shop->addLine(sale, articles[1], 3);
    auto sales = shop->select("Vendite", QStringLiteral("OID = %1").arg(sale));
    sales->MoveFirst();
    auto lines = sales->GetReference("Articoli");
    auto g = grid();
    g->SetDataSet(lines.get());
    EXPECT_FALSE(g->ShownFields().contains("Descrizione"));
    g->Layout()->SetFieldSequence("Descrizione,ValoreScarico");
    g->ApplyLayout();
    ASSERT_EQ(g->ShownFields(), QStringList({"Descrizione", "ValoreScarico"}));
    EXPECT_EQ(g->Model()->TextAt(0, 0), "Articolo 1");
}

TEST_F(GridFixture, LayoutIsKeptByNameInItsFile)
{
    addArticles(3);
    const QString ini = testenv::newDir("layouts") + "/mirtavolia.INI";
    auto data = shop->select("Articoli");
    {
        auto layout = std::make_shared<GridLayout>("VenditaArticoli", ini);
        auto g = grid();
        g->BindLayout(layout, {"Reparto"});
        g->SetDataSet(data.get());
        EXPECT_FALSE(g->ShownFields().contains("Reparto"));   // hidden for this binding
        layout->SetFieldSequence("Descrizione,Codice,PrezzoVendita");
        layout->SetHidden("PrezzoVendita", true);
        g->ApplyLayout();
        g->View()->horizontalHeader()->resizeSection(0, 211);   // as the operator drags it
        EXPECT_TRUE(layout->IsChanged());
        ASSERT_TRUE(layout->Save());
    }
    auto layout = std::make_shared<GridLayout>("VenditaArticoli", ini);
    EXPECT_EQ(layout->FieldSequence(), "Descrizione,Codice,PrezzoVendita");
    EXPECT_EQ(layout->ColumnWidth("Descrizione"), 211);
    EXPECT_TRUE(layout->IsHidden("PrezzoVendita"));
    auto g = grid();
    g->BindLayout(layout);
    g->SetDataSet(data.get());
    EXPECT_EQ(g->ShownFields(), QStringList({"Descrizione", "Codice"}));
    EXPECT_EQ(g->View()->columnWidth(0), 211);
    // Another name in the same file knows nothing of it.
    EXPECT_TRUE(GridLayout("FornituraArticoli", ini).FieldSequence().isEmpty());
}

TEST_F(GridFixture, ShowAllFieldsLeavesTheSequenceAndResetForgetsIt)
{
    addArticles(2);
    auto data = shop->select("Articoli");
    auto g = grid();
    g->SetDataSet(data.get());
    const QStringList every = g->ShownFields();
    g->Layout()->SetFieldSequence("Codice");
    g->ApplyLayout();
    ASSERT_EQ(g->ShownFields(), QStringList({"Codice"}));
    g->ShowAllFields();
    EXPECT_EQ(g->ShownFields(), every);
    EXPECT_EQ(g->Layout()->FieldSequence(), "Codice");
    g->SetDataSet(data.get());   // the next binding shows the sequence again
    EXPECT_EQ(g->ShownFields(), QStringList({"Codice"}));
    g->ResetColumns();
    EXPECT_EQ(g->ShownFields(), every);
    EXPECT_TRUE(g->Layout()->FieldSequence().isEmpty());
}

TEST_F(GridFixture, PerTableLayoutsAreSavedWhenAnotherTableIsShown)
{
    addArticles(2);
    const QString ini = testenv::newDir("layouts") + "/mirtavolia.INI";
    auto articoli = shop->select("Articoli");
    auto operatori = shop->select("Operatori");
    {
        auto g = grid();
        g->SetLayoutFile(ini);
        g->SetDataSet(articoli.get());
        g->Layout()->SetFieldSequence("Descrizione");
        g->ApplyLayout();
        g->SetDataSet(operatori.get());
        EXPECT_EQ(g->Layout()->Name(), "dgTest_Operatori");
    }
    EXPECT_EQ(GridLayout("dgTest_Articoli", ini).FieldSequence(), "Descrizione");
}

TEST_F(GridFixture, HeaderClickAsksFirstAndOtherwiseTurnsTheOrderAround)
{
    addArticles(5);
    auto data = shop->select("Articoli");
    auto g = grid();
    g->SetDataSet(data.get());
    QString asked;
    bool handle = true;
    QObject::connect(g.get(), &ObjDataGrid::SortRequest, [&](const QString& field, bool* handled) {
        asked = field;
        *handled = handle;
    });
    const int col = g->Model()->ColumnOf("Codice");
    emit g->View()->horizontalHeader()->sectionClicked(col);
    EXPECT_EQ(asked, "Codice");
    EXPECT_TRUE(data->GetOrder().isEmpty());   // handled by the caller
    handle = false;
    emit g->View()->horizontalHeader()->sectionClicked(col);
    EXPECT_EQ(data->GetOrder(), "Codice");
    emit g->View()->horizontalHeader()->sectionClicked(col);
    EXPECT_EQ(data->GetOrder(), "Codice DESC");
    settle();
    EXPECT_EQ(g->Model()->TextAt(0, col), "A0004");
    emit g->View()->horizontalHeader()->sectionClicked(col);
    EXPECT_EQ(data->GetOrder(), "Codice");
}

TEST_F(GridFixture, CellsAndColumnsAsTheMainWindowReadsThem)
{
    addArticles(3);
    auto data = shop->select("Articoli", QString(), "Codice");
    auto g = grid();
    g->SetDataSet(data.get());
    g->show();
    EXPECT_EQ(g->Bookmark(), std::nullopt);
    EXPECT_TRUE(g->CurrentColumnField().isEmpty());
    const int col = g->Model()->ColumnOf("Descrizione");
    g->View()->setCurrentIndex(g->Model()->index(1, col));
    EXPECT_EQ(g->Bookmark(), std::optional<qint64>(articles[1]));
    EXPECT_EQ(g->CurrentColumnField(), "Descrizione");
    EXPECT_EQ(g->CurrentCellText(), "Articolo 1");
    EXPECT_GT(g->HeaderHeight(), 0);
}

TEST_F(GridFixture, MouseAndKeysReachTheMainWindowFirst)
{
    addArticles(3);
    auto data = shop->select("Articoli", QString(), "Codice");
    auto g = grid();
    g->SetDataSet(data.get());
    g->show();
    QApplication::processEvents();
    std::vector<std::pair<int, int>> ups;   // cell indicator, y
    QObject::connect(g.get(), &ObjDataGrid::MouseUp, [&](Qt::MouseButtons, Qt::KeyboardModifiers, int, int y) {
        ups.emplace_back(g->CellIndicator(), y);
    });
    auto release = [](QWidget* on, QPoint at) {
        QMouseEvent e(QEvent::MouseButtonRelease, at, on->mapToGlobal(at), Qt::RightButton, Qt::NoButton,
                      Qt::NoModifier);
        QApplication::sendEvent(on, &e);
    };
    const QRect cell = g->View()->visualRect(g->Model()->index(1, 0));
    release(g->View()->viewport(), cell.center());
    release(g->View()->horizontalHeader()->viewport(), QPoint(10, 5));
    ASSERT_EQ(ups.size(), 2u);
    EXPECT_EQ(ups[0].first, 1);
    EXPECT_GT(ups[0].second, g->HeaderHeight());
    EXPECT_EQ(ups[1].first, 0);
    EXPECT_LE(ups[1].second, g->HeaderHeight());

    // A key the main window takes does not move the grid.
    g->View()->setCurrentIndex(g->Model()->index(0, 0));
    bool take = true;
    QObject::connect(g.get(), &ObjDataGrid::KeyDown, [&](int key, Qt::KeyboardModifiers, bool* consumed) {
        if (key == Qt::Key_Down) *consumed = take;
    });
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(g->View(), &down);
    EXPECT_EQ(g->CurrentRow(), 0);
    take = false;
    QKeyEvent again(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(g->View(), &again);
    EXPECT_EQ(g->CurrentRow(), 1);
}
