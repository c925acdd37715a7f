// The main window's geometry from the wanted tree width, and the section buttons of a
// section or group, worked out without a window (twips throughout).
#include "mainwindow/MainWindowLayout.h"
#include <QStringList>
#include <gtest/gtest.h>

namespace {

// A window of 12000 x 9000 twips with a client area of 11880 x 8400, toolbar 600, title
// strip 360 under it, status bar 300.
LayoutMetrics window(double splitterLeft = 3500)
{
    LayoutMetrics m;
    m.width = 12000;
    m.scaleWidth = 11880;
    m.scaleHeight = 8400;
    m.treeLeft = 45;
    m.splitterLeft = splitterLeft;
    m.splitterWidth = 60;
    m.toolbarHeight = 600;
    m.statusHeight = 300;
    m.titlesTop = 600;
    m.titlesHeight = 360;
    m.hideButtonWidth = 330;
    m.dateButtonWidth = 2400;
    m.dateButtonVisible = true;
    return m;
}

// Applies a layout's effect on the window to the metrics, as the window does between calls.
LayoutMetrics after(const LayoutMetrics& m, const MainLayout& l)
{
    LayoutMetrics next = m;
    next.splitterLeft = l.splitter.left;
    next.treeHidden = l.treeHidden;
    return next;
}

}   // namespace

TEST(MainWindowLayout, PlacesEveryPaneFromTheTreeWidth)
{
    MainWindowLayout layout;
    const std::optional<MainLayout> l = layout.Arrange(3500, window());
    ASSERT_TRUE(l);
    EXPECT_FALSE(l->windowWidth);
    EXPECT_EQ(l->tree, (LayoutBox {45, 1020, 3455, 7080}));   // top: toolbar + strip + gap
    EXPECT_TRUE(l->treeVisible);
    EXPECT_EQ(l->splitter, (LayoutBox {3500, 1020, 60, 7080}));
    EXPECT_EQ(l->grid, (LayoutBox {3560, 1020, 11880 - (3455 + 220), 7080}));
    EXPECT_EQ(l->gridSettingLeft, 3560);
    EXPECT_EQ(l->gridSettingTop, 1020);
    EXPECT_EQ(l->dragBarTop, 1020);
    EXPECT_EQ(l->title0Width, 3455);
    EXPECT_EQ(l->hideButtonLeft, 3580);
    EXPECT_EQ(l->title1Left, 3920);
    EXPECT_EQ(l->title1Width, 8205 - 30 - 330 - 2400);
    EXPECT_EQ(l->dateButtonLeft, 3920 + (8205 - 30 - 330 - 2400) + 10);
    EXPECT_FALSE(l->treeHidden);
    EXPECT_EQ(l->hideButtonColour, MainLayout::HideButtonColour::Keep);
}

TEST(MainWindowLayout, BarsAndDateButtonGiveTheirRoomBack)
{
    MainWindowLayout layout;
    LayoutMetrics m = window();
    m.toolbarShown = false;
    m.titlesTop = 0;
    m.statusShown = false;
    m.dateButtonVisible = false;
    const std::optional<MainLayout> l = layout.Arrange(3500, m);
    ASSERT_TRUE(l);
    EXPECT_EQ(l->tree.top, 420);
    EXPECT_EQ(l->tree.height, 8400 - 360 - 60);
    EXPECT_EQ(l->title1Width, 8205 - 30 - 330);   // the date button's width too

    // A detail area too narrow for its title: the title gets nothing, the button sits after it.
    m.scaleWidth = 3800;
    const std::optional<MainLayout> narrow = layout.Arrange(3500, m);
    ASSERT_TRUE(narrow);
    EXPECT_EQ(narrow->title1Width, 0);
    EXPECT_EQ(narrow->dateButtonLeft, narrow->title1Left + 10);
}

TEST(MainWindowLayout, WantedWidthsAreKeptWithinTheirBounds)
{
    struct Case {
        double wanted;
        double splitter;   // where the tree ends up
        bool hidden;
    };
    for (const Case c : {Case {501, 1500, false}, Case {1499, 1500, false}, Case {1500, 1500, false},
                         Case {11500, 11000, false},   // the detail area keeps 1000
                         Case {500, 0, true}, Case {120, 0, true}}) {
        SCOPED_TRACE(c.wanted);
        MainWindowLayout layout;
        const std::optional<MainLayout> l = layout.Arrange(c.wanted, window());
        ASSERT_TRUE(l);
        EXPECT_EQ(l->splitter.left, c.splitter);
        EXPECT_EQ(l->treeHidden, c.hidden);
        EXPECT_EQ(l->treeVisible, !c.hidden);
    }
}

TEST(MainWindowLayout, HidingRemembersTheFirstWidthForEveryLaterShow)
{
    MainWindowLayout layout;
    LayoutMetrics m = window(3500);
    std::optional<MainLayout> l = layout.Arrange(0, m);
    ASSERT_TRUE(l);
    EXPECT_TRUE(l->treeHidden);
    EXPECT_FALSE(l->treeVisible);
    EXPECT_EQ(l->tree.width, 0);
    EXPECT_EQ(l->grid.left, 60);   // only the gap before the detail area
    EXPECT_EQ(l->title0Width, 0);
    EXPECT_EQ(l->hideButtonColour, MainLayout::HideButtonColour::Highlight);
    m = after(m, *l);

    l = layout.Arrange(-1, m);
    ASSERT_TRUE(l);
    EXPECT_EQ(l->splitter.left, 3500);
    EXPECT_EQ(l->hideButtonColour, MainLayout::HideButtonColour::Restore);
    m = after(m, *l);

    // Moved to 5000, hidden and shown again: back at the width of the first hide.
    l = layout.Arrange(5000, m);
    m = after(m, *l);
    l = layout.Arrange(0, m);
    m = after(m, *l);
    l = layout.Arrange(-1, m);
    ASSERT_TRUE(l);
    EXPECT_EQ(l->splitter.left, 3500);
    EXPECT_EQ(layout.RememberedTreeWidth(), 3500);
}

TEST(MainWindowLayout, ShowWithNothingRemembered)
{
    // Asked to show before any hide while the tree is shown: the tree is hidden instead.
    MainWindowLayout shown;
    std::optional<MainLayout> l = shown.Arrange(-1, window(3500));
    ASSERT_TRUE(l);
    EXPECT_TRUE(l->treeHidden);
    EXPECT_EQ(shown.RememberedTreeWidth(), 3500);

    // Hidden with the splitter at 0, nothing is remembered: showing leaves an empty tree pane
    // that claims to be shown.
    MainWindowLayout atZero;
    LayoutMetrics m = window(0);
    l = atZero.Arrange(0, m);
    m = after(m, *l);
    l = atZero.Arrange(-1, m);
    ASSERT_TRUE(l);
    EXPECT_FALSE(l->treeHidden);
    EXPECT_FALSE(l->treeVisible);
    EXPECT_EQ(l->tree.width, 0);
}

TEST(MainWindowLayout, NarrowWindowIsWidenedAndHiddenOrMinimisedIsLeftAlone)
{
    MainWindowLayout layout;
    LayoutMetrics m = window();
    m.width = 2500;
    m.scaleWidth = 2380;
    std::optional<MainLayout> l = layout.Arrange(3500, m);
    ASSERT_TRUE(l);
    ASSERT_TRUE(l->windowWidth);
    EXPECT_EQ(*l->windowWidth, 3000);
    EXPECT_EQ(l->splitter.left, 2000);   // 3000 less the 1000 of the detail area

    for (bool minimised : {false, true}) {
        LayoutMetrics off = window();
        off.visible = minimised;
        off.minimised = minimised;
        EXPECT_FALSE(layout.Arrange(3500, off));
        EXPECT_FALSE(layout.Arrange(0, off));
    }
    EXPECT_EQ(layout.RememberedTreeWidth(), 0);   // nothing was hidden while not laid out
}

TEST(MainWindowLayout, DragBarStaysFiveHundredFromEitherEdge)
{
    EXPECT_EQ(MainWindowLayout::DragBarLeft(3500, -3200, 12000), 500);
    EXPECT_EQ(MainWindowLayout::DragBarLeft(3500, 15, 12000), 3515);
    EXPECT_EQ(MainWindowLayout::DragBarLeft(3500, 9000, 12000), 11500);
}

// ---- Section buttons ----------------------------------------------------------------------------

namespace {
SectionButtonsInput archive(double scaleHeight = 8400)
{
    SectionButtonsInput in;
    in.hasSelection = true;
    in.selectedText = QStringLiteral("Archivio");
    in.children = {{QStringLiteral("Movimenti"), QString(), 21, QStringLiteral("Archive")},
                   {QStringLiteral("Carico / Scarico Magazzino"), QString(), 25, QStringLiteral("Archive")},
                   {QStringLiteral("Configurazione"), QString(), 28, QStringLiteral("Archive")},
                   {QStringLiteral("Operatori"), QStringLiteral("Operatori"), 37, QStringLiteral("Archive")},
                   {QStringLiteral("Specifiche Importazione"), QString(), 40, QStringLiteral("Archive")}};
    in.splitterLeft = 3500;
    in.treeTop = 1020;
    in.scaleWidth = 11880;
    in.scaleHeight = scaleHeight;
    return in;
}
}   // namespace

TEST(SectionButtons, ASectionShowsAHeaderAndOneButtonPerChild)
{
    const SectionButtonsPlan plan = PlanSectionButtons(archive());
    EXPECT_FALSE(plan.hideTreeEnabled);
    ASSERT_EQ(plan.buttons.size(), 6u);
    const SectionButton& header = plan.buttons[0];
    EXPECT_TRUE(header.header);
    EXPECT_EQ(header.caption, QStringLiteral("VOCI PRINCIPALI PER LA SEZIONE ARCHIVIO :"));
    EXPECT_EQ(header.box, (LayoutBox {3900, 1170, 11880 - 3900 - 800, 427.5}));

    const QStringList tags {"21", "25", "28", "Operatori", "40"};
    double top = 1170 + 427.5 + 150;
    for (int i = 1; i <= 5; ++i) {
        const SectionButton& b = plan.buttons[size_t(i)];
        SCOPED_TRACE(b.caption.toStdString());
        EXPECT_FALSE(b.header);
        EXPECT_EQ(b.tag, tags[i - 1]);
        EXPECT_EQ(b.box, (LayoutBox {3900, top, 3735, 855}));
        EXPECT_EQ(b.image, QStringLiteral("Archive"));
        top += 855 + 150;
    }
    EXPECT_EQ(plan.buttons[2].toolTip,
              QStringLiteral("Apre la sezione <Carico / Scarico Magazzino> per la "
                             "Visualizzazione/Modifica dei dati oppure per la Stampa..."));
}

TEST(SectionButtons, ALongSectionGoesOnInColumnsUnderTheHeader)
{
    // Room for two buttons a column: the third starts a new one.
    const SectionButtonsPlan plan = PlanSectionButtons(archive(1170 + 427.5 + 150 + 2 * 1005 + 300 + 100));
    ASSERT_EQ(plan.buttons.size(), 6u);
    const double firstTop = 1170 + 427.5 + 150;
    const double expected[][2] = {{3900, firstTop},
                                  {3900, firstTop + 1005},
                                  {3900 + 4135, firstTop},
                                  {3900 + 4135, firstTop + 1005},
                                  {3900 + 2 * 4135, firstTop}};
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(plan.buttons[size_t(i + 1)].box.left, expected[i][0]);
        EXPECT_EQ(plan.buttons[size_t(i + 1)].box.top, expected[i][1]);
    }
}

TEST(SectionButtons, OnlyNodesWithoutKeyGetButtons)
{
    SectionButtonsInput table = archive();
    table.selectedHasKey = true;
    SectionButtonsPlan plan = PlanSectionButtons(table);
    EXPECT_TRUE(plan.buttons.empty());
    EXPECT_TRUE(plan.hideTreeEnabled);

    SectionButtonsInput none = archive();
    none.hasSelection = false;
    plan = PlanSectionButtons(none);
    EXPECT_TRUE(plan.buttons.empty());
    EXPECT_TRUE(plan.hideTreeEnabled);

    // A section without children: no button at all, and still the tree cannot be hidden.
    SectionButtonsInput empty = archive();
    empty.children.clear();
    plan = PlanSectionButtons(empty);
    EXPECT_TRUE(plan.buttons.empty());
    EXPECT_FALSE(plan.hideTreeEnabled);

    // A child without text gets no button, but the header stays.
    SectionButtonsInput blank = archive();
    blank.children = {{QString(), QString(), 21, QString()}};
    plan = PlanSectionButtons(blank);
    ASSERT_EQ(plan.buttons.size(), 1u);
    EXPECT_TRUE(plan.buttons[0].header);
}
