#include "MainWindowLayout.h"

namespace {
constexpr double kTitleGap = 10;
constexpr double kHideButtonGap = 20;
constexpr double kTitleRoomMargin = 30;
constexpr double kDetailRightMargin = 220;
constexpr double kButtonsLeftOffset = 400;
constexpr double kButtonsTopOffset = 150;
constexpr double kButtonGap = 150;
constexpr double kColumnGap = 400;
constexpr double kHeaderRightMargin = 800;
constexpr double kButtonsBottomMargin = 300;
}   // namespace

std::optional<MainLayout> MainWindowLayout::Arrange(double treeWidth, const LayoutMetrics& given)
{
    if (!given.visible || given.minimised) return std::nullopt;
    LayoutMetrics m = given;
    MainLayout out;
    if (m.width < kMinimumWindowWidth) {
        m.width = kMinimumWindowWidth;
        out.windowWidth = kMinimumWindowWidth;
    }

    double width = treeWidth;
    if (treeWidth == 0) {
        if (m_rememberedWidth == 0 && m.splitterLeft > 0) m_rememberedWidth = m.splitterLeft;
        out.treeHidden = true;
        m_colourRemembered = true;
        out.hideButtonColour = MainLayout::HideButtonColour::Highlight;
    } else {
        if (treeWidth == -1 && m_rememberedWidth > 0) {
            width = m_rememberedWidth;
        } else if (treeWidth <= kHideAtOrBelow) {
            // A drag onto the window's edge hides the tree; "show" with nothing remembered
            // while the tree is shown hides it too.
            if (!m.treeHidden) {
                std::optional<MainLayout> hidden = Arrange(0, m);
                if (hidden && out.windowWidth) hidden->windowWidth = out.windowWidth;
                return hidden;
            }
            width = m_rememberedWidth;
        } else if (treeWidth < kMinimumTreeWidth) {
            width = kMinimumTreeWidth;
        }
        out.treeHidden = false;
        out.hideButtonColour
            = m_colourRemembered ? MainLayout::HideButtonColour::Restore : MainLayout::HideButtonColour::Keep;
    }
    if (m.width - kMinimumDetailWidth < width) width = m.width - kMinimumDetailWidth;

    if (width == 0) {
        out.tree.width = 0;
        out.treeVisible = false;
    } else {
        out.tree.width = width - m.treeLeft;
        out.treeVisible = true;
    }
    out.tree.left = m.treeLeft;
    out.splitter.left = width;
    out.splitter.width = m.splitterWidth;
    out.grid.left = width + m.splitterWidth;
    out.grid.width = m.scaleWidth - (out.tree.width + kDetailRightMargin);

    out.title0Width = out.tree.width;
    out.hideButtonLeft = out.grid.left + kHideButtonGap;
    out.title1Left = out.hideButtonLeft + m.hideButtonWidth + kTitleGap;
    const double room
        = out.grid.width - kTitleRoomMargin - m.hideButtonWidth - (m.dateButtonVisible ? m.dateButtonWidth : 0);
    out.title1Width = room > 0 ? room : 0;
    out.dateButtonLeft = out.title1Left + out.title1Width + kTitleGap;

    out.tree.top = (m.toolbarShown ? m.toolbarHeight : 0) + m.titlesHeight + m.splitterWidth;
    out.grid.top = out.tree.top;
    out.gridSettingTop = out.grid.top;
    out.gridSettingLeft = out.grid.left;
    out.tree.height
        = m.scaleHeight - ((m.statusShown ? m.statusHeight : 0) + m.titlesTop + m.titlesHeight) - m.splitterWidth;
    out.grid.height = out.tree.height;
    out.dragBarTop = out.tree.top;
    out.splitter.top = out.tree.top;
    out.splitter.height = out.tree.height;
    return out;
}

double MainWindowLayout::DragBarLeft(double splitterLeft, double mouseX, double windowWidth)
{
    const double p = splitterLeft + mouseX;
    if (p < kHideAtOrBelow) return kHideAtOrBelow;
    if (p > windowWidth - kHideAtOrBelow) return windowWidth - kHideAtOrBelow;
    return p;
}

SectionButtonsPlan PlanSectionButtons(const SectionButtonsInput& in)
{
    SectionButtonsPlan plan;
    if (!in.hasSelection || in.selectedHasKey) return plan;
    plan.hideTreeEnabled = false;

    double x = in.splitterLeft + kButtonsLeftOffset;
    double y = in.treeTop + kButtonsTopOffset;
    double headerHeight = 0;
    if (!in.children.empty()) {
        SectionButton header;
        header.header = true;
        header.caption
            = QStringLiteral("VOCI PRINCIPALI PER LA SEZIONE ") + in.selectedText.toUpper() + QStringLiteral(" :");
        headerHeight = kSectionButtonHeight / 2;
        header.box = LayoutBox {x, y, in.scaleWidth - x - kHeaderRightMargin, headerHeight};
        plan.buttons.push_back(header);
        y += headerHeight + kButtonGap;
    }
    for (const SectionChild& child : in.children) {
        if (child.text.isEmpty()) continue;
        SectionButton b;
        b.caption = child.text;
        b.tag = child.key.isEmpty() ? QString::number(child.index) : child.key;
        b.toolTip = QStringLiteral("Apre la sezione <") + child.text
            + QStringLiteral("> per la Visualizzazione/Modifica dei dati oppure per la Stampa...");
        b.image = child.image;
        // A section longer than the window goes on in a new column, under the header.
        if (y + kSectionButtonHeight >= in.scaleHeight - kButtonsBottomMargin) {
            x += kSectionButtonWidth + kColumnGap;
            y = in.treeTop + kButtonsTopOffset + headerHeight + kButtonGap;
        }
        b.box = LayoutBox {x, y, kSectionButtonWidth, kSectionButtonHeight};
        plan.buttons.push_back(b);
        y += kSectionButtonHeight + kButtonGap;
    }
    return plan;
}
