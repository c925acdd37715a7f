#include "GridCellDelegate.h"
#include <QApplication>
#include <QPainter>
#include <QStyle>

const QStaticText& GridCellDelegate::laidOut(const QString& text, const QFont& font) const
{
    if (font != m_font || m_texts.size() >= kKeptTexts) {
        m_texts.clear();
        m_font = font;
    }
    auto it = m_texts.find(text);
    if (it == m_texts.end()) {
        QStaticText t(text);
        t.setTextFormat(Qt::PlainText);
        t.setPerformanceHint(QStaticText::AggressiveCaching);
        t.prepare(QTransform(), font);
        it = m_texts.insert(text, t);
    }
    return *it;
}

void GridCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const bool plain = !(opt.features & (QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDecoration))
        && !opt.text.isEmpty() && !opt.text.contains(u'\n') && !(opt.state & QStyle::State_Editing);
    if (!plain) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    QStyle* style = opt.widget ? opt.widget->style() : QApplication::style();
    // The text's place as the style reckons it: the cell less a margin on either side.
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, opt.widget) + 1;
    const QRect textRect = opt.rect.adjusted(margin, 0, -margin, 0);
    const QStaticText& text = laidOut(opt.text, opt.font);
    const QSizeF size = text.size();
    if (size.width() > textRect.width()) {
        // Cut short with an ellipsis: the style's way.
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    opt.text.clear();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, opt.widget);

    QPalette::ColorGroup group = (opt.state & QStyle::State_Enabled) ? QPalette::Normal : QPalette::Disabled;
    if (group == QPalette::Normal && !(opt.state & QStyle::State_Active)) group = QPalette::Inactive;
    const QRect at = QStyle::alignedRect(opt.direction, opt.displayAlignment, size.toSize(), textRect);
    painter->save();
    painter->setClipRect(opt.rect);
    painter->setFont(opt.font);
    painter->setPen(
        opt.palette.color(group, (opt.state & QStyle::State_Selected) ? QPalette::HighlightedText : QPalette::Text));
    painter->drawStaticText(at.topLeft(), text);
    painter->restore();
}
