#pragma once
// How the data grid paints a cell of text: as the style paints an item (its background,
// selection and focus), with the text laid out once and kept. The style lays a cell's text
// out three times at every paint (twice to place it, once to draw it); a document's grid is
// painted again at every scan, and its texts change far less often than that. A cell with a
// check box, an icon or a text wider than the cell is painted by the style as before.
#include <QFont>
#include <QHash>
#include <QStaticText>
#include <QStyledItemDelegate>

class GridCellDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // Texts kept at most; past that the kept ones are dropped and laid out again as needed.
    static constexpr int kKeptTexts = 4096;

private:
    const QStaticText& laidOut(const QString& text, const QFont& font) const;

    mutable QHash<QString, QStaticText> m_texts;
    mutable QFont m_font;
};
