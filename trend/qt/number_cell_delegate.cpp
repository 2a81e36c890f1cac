#include "trend/qt/number_cell_delegate.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QPainter>
#include <QStyle>

namespace {

constexpr qreal kPadding = 4;  // the style's item margin

}  // namespace

const NumberCellDelegate::Glyph& NumberCellDelegate::GlyphOf(QChar c, const QFont& font) const {
    if (font != font_) {
        glyphs_.clear();
        font_ = font;
    }
    auto it = glyphs_.find(c);
    if (it == glyphs_.end()) {
        Glyph glyph;
        glyph.text = QStaticText(QString(c));
        glyph.text.setTextFormat(Qt::PlainText);
        glyph.text.prepare(QTransform(), font);
        glyph.advance = QFontMetricsF(font).horizontalAdvance(c);
        it = glyphs_.insert(c, glyph);
    }
    return *it;
}

void NumberCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
    const QString text = index.data(Qt::DisplayRole).toString();
    const QFont& font = option.font;
    qreal width = 0;
    for (const QChar c : text) width += GlyphOf(c, font).advance;
    const bool enabled = (option.state & QStyle::State_Enabled) != 0;
    painter->save();
    painter->setFont(font);
    painter->setPen(
        option.palette.color(enabled ? QPalette::Normal : QPalette::Disabled, QPalette::Text));
    painter->setClipRect(option.rect);
    const QRectF cell = option.rect;
    qreal x = cell.right() + 1 - kPadding - width;
    const qreal y = cell.top() + (cell.height() - QFontMetricsF(font).height()) / 2;
    for (const QChar c : text) {
        const Glyph& glyph = GlyphOf(c, font);
        painter->drawStaticText(QPointF(x, y), glyph.text);
        x += glyph.advance;
    }
    painter->restore();
    if ((option.state & QStyle::State_HasFocus) != 0) {
        QStyleOptionFocusRect focus;
        focus.QStyleOption::operator=(option);
        const QWidget* widget = option.widget;
        QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
        style->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, widget);
    }
}
