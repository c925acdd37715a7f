// The tree widget as the main window fills it: which items, under which parents, with what
// keys and positions, and which item is selected after a rebuild.
#include "mainwindow/SectionTreeView.h"
#include "ViewShop.h"
#include <QTreeWidget>

namespace {

class SectionTreeViewTest : public ViewShop {
protected:
    void fill(int level, bool payments)
    {
        db().SetAccessLevel(level);
        SectionTreeView::Fill(tree, db(), SectionTreeOptions {payments});
    }
    QString parentText(const QString& text) const
    {
        const QList<QTreeWidgetItem*> found = tree.findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
        if (found.isEmpty()) return QStringLiteral("<missing>");
        return found.first()->parent() ? found.first()->parent()->text(0) : QString();
    }
    QString selected() const { return tree.currentItem() ? tree.currentItem()->text(0) : QString(); }

    QTreeWidget tree;
};

}   // namespace

TEST_F(SectionTreeViewTest, ItemsFollowAccessLevelAndSupplyPayments)
{
    struct Case {
        int level;
        bool payments;
        int items;
        int topLevel;
    };
    for (const Case c :
         {Case {0, true, 17, 3}, Case {0, false, 14, 3}, Case {1, true, 43, 4}, Case {1, false, 40, 4}}) {
        SCOPED_TRACE(testing::Message() << "level " << c.level << (c.payments ? " with" : " without") << " payments");
        fill(c.level, c.payments);
        EXPECT_EQ(SectionTreeView::NodeCount(tree), c.items);
        EXPECT_EQ(tree.topLevelItemCount(), c.topLevel);
        // Positions run 1..n in building order, so a node is found again by its position.
        for (int i = 1; i <= c.items; ++i) EXPECT_EQ(SectionTreeView::Index(SectionTreeView::ItemAt(tree, i)), i);
        EXPECT_FALSE(SectionTreeView::ItemAt(tree, c.items + 1));
        EXPECT_EQ(parentText(QStringLiteral("Forniture pagate")),
                  c.payments ? QStringLiteral("Lista Forniture") : QStringLiteral("<missing>"));
        // Only the first section opens.
        EXPECT_TRUE(tree.topLevelItem(0)->isExpanded());
        for (int i = 1; i < tree.topLevelItemCount(); ++i) EXPECT_FALSE(tree.topLevelItem(i)->isExpanded());
    }
}

TEST_F(SectionTreeViewTest, ItemsCarryKeysOnlyForTablesReportsAndConnections)
{
    fill(1, true);
    const QTreeWidgetItem* sales = SectionTreeView::ItemByKey(tree, QStringLiteral("Vendite"));
    ASSERT_TRUE(sales);
    EXPECT_EQ(SectionTreeView::Index(sales), 2);
    EXPECT_EQ(SectionTreeView::ImageKey(sales), QStringLiteral("Sale"));
    EXPECT_EQ(parentText(QStringLiteral("Ricalcolo Imponibile Magazzino")), QStringLiteral("Imponibile Magazzino"));
    EXPECT_EQ(parentText(QStringLiteral("Connessioni")), QStringLiteral("Operatori"));
    EXPECT_EQ(parentText(QStringLiteral("Promemoria")), QStringLiteral("Operatori"));

    const QTreeWidgetItem* connections = SectionTreeView::ItemAt(tree, 38);
    EXPECT_TRUE(SectionTreeView::HasKey(connections));
    EXPECT_EQ(SectionTreeView::Key(connections), db().ConnectionsName());
    const QTreeWidgetItem* movements = SectionTreeView::ItemAt(tree, 21);
    EXPECT_FALSE(SectionTreeView::HasKey(movements));
    EXPECT_FALSE(SectionTreeView::HasKey(SectionTreeView::ItemAt(tree, 1)));

    // A section button's tag names a node by position when numeric, by key otherwise.
    EXPECT_EQ(SectionTreeView::ItemForTag(tree, QStringLiteral("21")), movements);
    EXPECT_EQ(SectionTreeView::ItemForTag(tree, QStringLiteral("Vendite")), sales);
    EXPECT_FALSE(SectionTreeView::ItemForTag(tree, QStringLiteral("Sconosciuta")));

    const std::vector<SectionChild> children = SectionTreeView::Children(SectionTreeView::ItemAt(tree, 20));
    ASSERT_EQ(children.size(), 5u);
    EXPECT_EQ(children[3].key, QStringLiteral("Operatori"));
    EXPECT_EQ(children[3].index, 37);
    EXPECT_TRUE(children[0].key.isEmpty());
    EXPECT_EQ(children[0].index, 21);
}

TEST_F(SectionTreeViewTest, SelectionFollowsThePositionNotTheNode)
{
    // First build: the first section.
    fill(1, true);
    EXPECT_EQ(selected(), QStringLiteral("Operazioni effettuate"));

    // "Imponibile Magazzino" (16) selected, then an operator of another level: position 16
    // now holds "Articoli Vari".
    tree.setCurrentItem(SectionTreeView::ItemAt(tree, 16));
    ASSERT_EQ(selected(), QStringLiteral("Imponibile Magazzino"));
    fill(0, true);
    EXPECT_EQ(selected(), QStringLiteral("Articoli Vari"));

    // "Operatori" (37) selected, then a tree of 17 nodes: nothing selected.
    fill(1, true);
    tree.setCurrentItem(SectionTreeView::ItemAt(tree, 37));
    fill(0, true);
    EXPECT_EQ(tree.currentItem(), nullptr);
    // And with nothing selected, the next build starts again at the first.
    fill(1, true);
    EXPECT_EQ(selected(), QStringLiteral("Operazioni effettuate"));
}

TEST_F(SectionTreeViewTest, ARebuildSendsNoSignal)
{
    int changes = 0;
    QObject::connect(&tree, &QTreeWidget::currentItemChanged, [&changes] { ++changes; });
    fill(1, true);
    fill(0, false);
    EXPECT_EQ(changes, 0);
}
