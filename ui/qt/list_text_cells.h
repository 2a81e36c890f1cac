#pragma once
// How a list view paints its cells of plain text without the style's text layout, which shapes
// and elides each repainted cell's text anew. A list whose numbers change at every reading
// repaints dozens of cells a second, each with a text it never showed before: a text of ASCII
// characters is drawn character by character, each shaped once (QStaticText) and placed by its
// advance; any other text is shaped once as a whole. Cells with a check box or
// an image, the focused cell, and a text wider than its cell (which the style elides) are left
// to the style.
//
// The characters of a number that all come from one face are drawn as one glyph run: a
// painter's text call costs far more than a glyph.
#include <QGlyphRun>
#include <QHash>
#include <QRawFont>
#include <QStaticText>
#include <QStyledItemDelegate>
#include <array>
#include <optional>

#include "ui/qt/glyph_stamps.h"

class ListTextCells : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

private:
    struct Glyph {
        QStaticText shaped;
        qreal advance = 0;
        // The glyph the text layout chose (in the face it fell back to), placed from the
        // cell text's top left; without one the character is drawn from `shaped`.
        bool single = false;
        QRawFont face;
        quint32 index = 0;
        QPointF offset;
    };
    const QStaticText& Shaped(const QString& text) const;
    Glyph MakeGlyph(QChar c) const;
    // A printable ASCII glyph stays where it is until the font changes: runs point into it.
    const Glyph& ShapedCharacter(QChar c) const;
    void UseFont(const QFont& font) const;
    qreal Width(const QString& text, bool byCharacter) const;
    // Draws an ASCII text from its top left as one glyph run; false when its characters are
    // not all single glyphs of one face (nothing drawn then).
    bool DrawAsRun(QPainter* painter, const QString& text, qreal x, qreal y) const;
    // The same with the glyphs' stamps, in one image blend; false with nothing drawn where the
    // painter can't take them.
    bool DrawStamped(QPainter& painter, const QString& text, qreal x, qreal y,
                     QRgb colour) const;

    mutable QHash<QString, QStaticText> shaped_;
    // Printable ASCII (digits, signs, points) by index; any other character by hash.
    static constexpr char16_t kFirstPrintable = 0x20, kLastPrintable = 0x7E;
    mutable std::array<std::optional<Glyph>, kLastPrintable - kFirstPrintable + 1> printable_;
    mutable QHash<char16_t, Glyph> characters_;
    mutable QList<quint32> runIndexes_;
    mutable QList<QPointF> runPositions_;
    mutable QFont font_;
    mutable bool fontKnown_ = false;
    mutable qreal lineHeight_ = 0;
    mutable GlyphStamps stamps_;
    mutable QList<StampGlyph> runGlyphs_;
};
