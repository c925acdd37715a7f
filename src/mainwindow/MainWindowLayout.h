#pragma once
// The main window's geometry, worked out without the window: the tree pane, the splitter,
// the detail area and the title strip placed from one number, the wanted width of the tree
// (0 hides the tree, -1 shows it again at the width it had when first hidden); and the
// shortcut buttons that fill the detail area while a section or group is selected.
//
// All lengths are twips, the unit the stored placement has always used (15 to a pixel).
#include <QString>
#include <optional>
#include <vector>

// What the window measures before a layout.
struct LayoutMetrics {
    bool visible = true;
    bool minimised = false;
    double width = 0;   // the window's outer width
    double scaleWidth = 0;   // its client area
    double scaleHeight = 0;
    double treeLeft = 0;   // the tree's fixed left edge
    double splitterLeft = 0;   // where the splitter stands now (the tree's width)
    double splitterWidth = 0;   // the gap between the panes, above and below the tree
    double toolbarHeight = 0;
    bool toolbarShown = true;
    double statusHeight = 0;
    bool statusShown = true;
    double titlesTop = 0;   // the title strip under the toolbar
    double titlesHeight = 0;
    double hideButtonWidth = 0;
    double dateButtonWidth = 0;
    bool dateButtonVisible = false;
    bool treeHidden = false;   // the hide button shows the arrow that brings the tree back
};

struct LayoutBox {
    double left = 0, top = 0, width = 0, height = 0;
    bool operator==(const LayoutBox&) const = default;
};

struct MainLayout {
    std::optional<double> windowWidth;   // the window was narrower than the least width
    LayoutBox tree;
    bool treeVisible = true;
    LayoutBox splitter;   // left is the tree width
    double dragBarTop = 0;
    LayoutBox grid;   // the detail area
    double gridSettingLeft = 0, gridSettingTop = 0;
    double title0Width = 0;   // " Sezione:" over the tree
    double hideButtonLeft = 0;
    double title1Left = 0, title1Width = 0;   // " Dettagli:" over the detail area
    double dateButtonLeft = 0;
    bool treeHidden = false;   // hide button "4" and the menu entry unchecked
    enum class HideButtonColour { Keep, Highlight, Restore };
    HideButtonColour hideButtonColour = HideButtonColour::Keep;
};

class MainWindowLayout {
public:
    static constexpr double kMinimumWindowWidth = 3000;
    static constexpr double kMinimumDetailWidth = 1000;
    static constexpr double kHideAtOrBelow = 500;
    static constexpr double kMinimumTreeWidth = 1500;

    // Nothing while the window is hidden or minimised.
    std::optional<MainLayout> Arrange(double treeWidth, const LayoutMetrics& metrics);

    // Where the bar that follows a splitter drag stands: the splitter's left plus the
    // mouse's X, kept 500 from either edge of the window.
    static double DragBarLeft(double splitterLeft, double mouseX, double windowWidth);

    // The width the tree had when it was first hidden since the program started (0 until then).
    double RememberedTreeWidth() const { return m_rememberedWidth; }

private:
    double m_rememberedWidth = 0;
    bool m_colourRemembered = false;
};

// ---- Section buttons ------------------------------------------------------------------------

struct SectionChild {
    QString text;
    QString key;   // empty for a group
    int index = 0;   // position in the tree
    QString image;
};

struct SectionButtonsInput {
    bool hasSelection = false;
    bool selectedHasKey = false;   // a table, report or connections node
    QString selectedText;
    std::vector<SectionChild> children;
    double splitterLeft = 0;
    double treeTop = 0;
    double scaleWidth = 0;
    double scaleHeight = 0;
};

struct SectionButton {
    bool header = false;   // the disabled caption over the items
    QString caption;
    QString tag;   // the child's key, or its index when it has none
    QString toolTip;
    QString image;
    LayoutBox box;
};

struct SectionButtonsPlan {
    std::vector<SectionButton> buttons;
    bool hideTreeEnabled = true;   // the tree cannot be hidden while a section's buttons show
};

inline constexpr double kSectionButtonWidth = 3735;
inline constexpr double kSectionButtonHeight = 855;

SectionButtonsPlan PlanSectionButtons(const SectionButtonsInput& input);
