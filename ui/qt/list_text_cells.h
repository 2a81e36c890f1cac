#pragma once
// How a list view paints its cells of plain text without the style's text layout, which shapes
// and elides each repainted cell's text anew. A list whose numbers change at every reading
// repaints dozens of cells a second, each with a text it never showed before: a text of ASCII
// characters is drawn character by character, each shaped once (QStaticText) and placed by its
// advance; any other text is shaped once as a whole. Cells with a check box or
// an image, the focused cell, and a text wider than its cell (which the style elides) are left
// to the style.
#include <QHash>
#include <QStaticText>
#include <QStyledItemDelegate>

class ListTextCells : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

private:
    struct Glyph {
        QStaticText shaped;
        qreal advance = 0;
    };
    const QStaticText& Shaped(const QString& text) const;
    const Glyph& ShapedCharacter(QChar c) const;
    void UseFont(const QFont& font) const;
    qreal Width(const QString& text, bool byCharacter) const;

    mutable QHash<QString, QStaticText> shaped_;
    mutable QHash<char16_t, Glyph> characters_;
    mutable QFont font_;
};
