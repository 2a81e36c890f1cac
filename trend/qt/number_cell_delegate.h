#pragma once
// The statistics columns' cells: a right-aligned number each, drawn a character at a time from
// texts shaped once. The style's item painting shapes every cell's text anew at each repaint,
// and the cells change at every reading: that was most of the trend window's work.
#include <QFont>
#include <QHash>
#include <QStaticText>
#include <QStyledItemDelegate>

class NumberCellDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

private:
    struct Glyph {
        QStaticText text;
        qreal advance = 0;
    };
    const Glyph& GlyphOf(QChar c, const QFont& font) const;

    mutable QFont font_;
    mutable QHash<QChar, Glyph> glyphs_;
};
