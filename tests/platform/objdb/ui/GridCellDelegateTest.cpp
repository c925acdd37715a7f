// The grid's cells painted from texts laid out once: what a cell shows follows its text, its
// font, its alignment and its selection, and a text too wide for its cell is cut short as the
// style cuts it.
#include "objdb/ui/GridCellDelegate.h"
#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QStandardItemModel>
#include <QStyledItemDelegate>
#include <QTableView>
#include <gtest/gtest.h>

namespace {

struct Cells : ::testing::Test {
    QStandardItemModel model {1, 2};
    QTableView view;
    GridCellDelegate* cells = new GridCellDelegate(&view);

    Cells()
    {
        view.setModel(&model);
        view.setWordWrap(false);
        view.verticalHeader()->hide();
        view.horizontalHeader()->hide();
        view.setColumnWidth(0, 120);
        view.setColumnWidth(1, 120);
        view.resize(260, 60);
        view.setItemDelegate(cells);
        set(QStringLiteral("K7919"));
    }
    void set(const QString& text, Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter)
    {
        auto* item = new QStandardItem(text);
        item->setData(int(alignment), Qt::TextAlignmentRole);
        model.setItem(0, 0, item);
    }
    QImage cell(QAbstractItemDelegate* with = nullptr)
    {
        view.setItemDelegate(with ? with : cells);
        const QImage shot = view.viewport()->grab(view.visualRect(model.index(0, 0))).toImage();
        view.setItemDelegate(cells);
        return shot;
    }
    // The columns of the cell that hold ink of `colour`: first and last, -1 when none.
    static std::pair<int, int> ink(const QImage& shot, QColor colour)
    {
        int first = -1, last = -1;
        for (int x = 0; x < shot.width(); ++x)
            for (int y = 0; y < shot.height(); ++y)
                if (QColor(shot.pixel(x, y)) == colour) {
                    if (first < 0) first = x;
                    last = x;
                    break;
                }
        return {first, last};
    }
};

TEST_F(Cells, ACellShowsItsTextAsItIsNowInItsAlignmentAndSelection)
{
    const QColor text = view.palette().color(QPalette::Active, QPalette::Text);
    const QImage before = cell();
    EXPECT_GE(ink(before, text).first, 0) << "the text is painted";

    set(QStringLiteral("K15838"));
    const QImage changed = cell();
    EXPECT_NE(changed, before) << "a changed text is not the one kept";
    GridCellDelegate another;
    EXPECT_EQ(changed, cell(&another)) << "a kept text paints as one laid out anew";

    set(QStringLiteral("K15838"), Qt::AlignRight | Qt::AlignVCenter);
    const auto right = ink(cell(), text);
    const auto left = ink(changed, text);
    EXPECT_GT(right.first, left.second) << "right-aligned text stands right of where left-aligned ends";

    QFont bigger = view.font();
    bigger.setPointSize(bigger.pointSize() + 4);
    view.setFont(bigger);
    GridCellDelegate atBiggerFont;
    EXPECT_EQ(cell(), cell(&atBiggerFont)) << "texts kept at another font are not used";

    view.setFocus();
    view.selectRow(0);
    const QColor highlighted = view.palette().color(QPalette::Active, QPalette::HighlightedText);
    EXPECT_GE(ink(cell(), highlighted).first, 0) << "a selected row's text in the highlighted colour";
}

TEST_F(Cells, ATextTooWideForItsCellIsCutShortAsTheStyleCutsIt)
{
    set(QStringLiteral("Articolo dalla descrizione molto lunga che non entra"));
    QStyledItemDelegate style;
    EXPECT_EQ(cell(), cell(&style));
}

}   // namespace
