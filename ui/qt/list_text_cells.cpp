#include "ui/qt/list_text_cells.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QPainter>
#include <QStyle>
#include <QTextLayout>

namespace {

// Whole texts kept shaped: a list's names and headings, not its ever-changing numbers.
constexpr qsizetype kShapedLimit = 1024;

QStaticText Prepared(const QString& text, const QFont& font) {
    QStaticText shaped(text);
    shaped.setTextFormat(Qt::PlainText);
    shaped.setPerformanceHint(QStaticText::AggressiveCaching);
    shaped.prepare(QTransform(), font);
    return shaped;
}

// Printable ASCII has no shaping across characters to speak of (digits, signs, points).
bool ByCharacter(const QString& text) {
    for (QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() > 0x7E) return false;
    }
    return true;
}

}  // namespace

void ListTextCells::UseFont(const QFont& font) const {
    if (fontKnown_ && font == font_) return;
    fontKnown_ = true;
    font_ = font;
    lineHeight_ = QFontMetricsF(font_).height();
    shaped_.clear();
    characters_.clear();
    for (std::optional<Glyph>& glyph : printable_) glyph.reset();
    stamps_.Clear();
}

const QStaticText& ListTextCells::Shaped(const QString& text) const {
    if (shaped_.size() >= kShapedLimit) shaped_.clear();
    auto it = shaped_.find(text);
    if (it == shaped_.end()) it = shaped_.insert(text, Prepared(text, font_));
    return *it;
}

ListTextCells::Glyph ListTextCells::MakeGlyph(QChar c) const {
    // Not a raw font's glyph indexes: the face a font resolves to for Latin text (a CJK face's
    // half-width forms, say) is the text layout's to choose.
    Glyph glyph;
    glyph.shaped = Prepared(QString(c), font_);
    glyph.advance = QFontMetricsF(font_).horizontalAdvance(c);
    QTextLayout layout(QString(c), font_);
    layout.setCacheEnabled(true);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    const QList<QGlyphRun> runs = layout.glyphRuns();
    if (runs.size() == 1 && runs[0].glyphIndexes().size() == 1) {
        glyph.single = true;
        glyph.face = runs[0].rawFont();
        glyph.index = runs[0].glyphIndexes()[0];
        glyph.offset = runs[0].positions()[0];
    }
    return glyph;
}

const ListTextCells::Glyph& ListTextCells::ShapedCharacter(QChar c) const {
    // A number's characters are looked up several times a cell: by index, not by hash.
    const char16_t code = c.unicode();
    if (code >= kFirstPrintable && code <= kLastPrintable) {
        std::optional<Glyph>& glyph = printable_[code - kFirstPrintable];
        if (!glyph) glyph = MakeGlyph(c);
        return *glyph;
    }
    auto it = characters_.find(code);
    if (it == characters_.end()) it = characters_.insert(code, MakeGlyph(c));
    return *it;
}

qreal ListTextCells::Width(const QString& text, bool byCharacter) const {
    if (!byCharacter) return Shaped(text).size().width();
    qreal width = 0;
    for (QChar c : text) width += ShapedCharacter(c).advance;
    return width;
}

bool ListTextCells::DrawAsRun(QPainter* painter, const QString& text, qreal x, qreal y) const {
    runIndexes_.clear();
    runPositions_.clear();
    const Glyph* first = nullptr;
    for (QChar c : text) {
        const Glyph& glyph = ShapedCharacter(c);
        if (!glyph.single || (first != nullptr && !(glyph.face == first->face))) return false;
        if (first == nullptr) first = &glyph;
        runIndexes_.append(glyph.index);
        runPositions_.append(QPointF(x, y) + glyph.offset);
        x += glyph.advance;
    }
    if (first == nullptr) return true;
    QGlyphRun run;
    run.setRawFont(first->face);
    run.setGlyphIndexes(runIndexes_);
    run.setPositions(runPositions_);
    painter->drawGlyphRun(QPointF(0, 0), run);
    return true;
}

bool ListTextCells::DrawStamped(QPainter& painter, const QString& text, qreal x, qreal y,
                                QRgb colour) const {
    for (QChar c : text) {
        if (!ShapedCharacter(c).single) return false;
    }
    // All shaped now: nothing more goes into the table whose glyphs the run points into.
    runGlyphs_.clear();
    for (QChar c : text) {
        const Glyph& glyph = ShapedCharacter(c);
        runGlyphs_.append(StampGlyph{&glyph.face, glyph.index, QPointF(x, y) + glyph.offset});
        x += glyph.advance;
    }
    return stamps_.Draw(painter, runGlyphs_.constData(), runGlyphs_.size(), colour);
}

void ListTextCells::paint(QPainter* painter, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const {
    const QVariant display = index.data(Qt::DisplayRole);
    if (index.data(Qt::CheckStateRole).isValid() || index.data(Qt::DecorationRole).isValid() ||
        (option.state & QStyle::State_HasFocus) || index.data(Qt::BackgroundRole).isValid() ||
        index.data(Qt::ForegroundRole).isValid() || display.userType() != QMetaType::QString) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    const QString text = display.toString();
    const QWidget* widget = option.widget;
    QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
    // The style's own margin around an item's text.
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    const QRect box = option.rect.adjusted(margin, 0, -margin, 0);
    UseFont(option.font);
    const bool byCharacter = ByCharacter(text);
    const qreal width = text.isEmpty() ? 0 : Width(text, byCharacter);
    if (width > box.width()) {
        QStyledItemDelegate::paint(painter, option, index);  // elided by the style
        return;
    }
    const bool enabled = (option.state & QStyle::State_Enabled) != 0;
    const QPalette::ColorGroup group = !enabled ? QPalette::Disabled
                                       : (option.state & QStyle::State_Active) != 0
                                           ? QPalette::Normal
                                           : QPalette::Inactive;
    const bool selected = (option.state & QStyle::State_Selected) != 0;
    if (selected) painter->fillRect(option.rect, option.palette.brush(group, QPalette::Highlight));
    if (text.isEmpty()) return;
    const auto align = static_cast<Qt::Alignment>(index.data(Qt::TextAlignmentRole).toInt());
    qreal x = box.left();
    if (align & Qt::AlignRight) x = box.right() + 1 - width;
    if (align & Qt::AlignHCenter) x = box.left() + (box.width() - width) / 2;
    const qreal y = box.top() + (box.height() - lineHeight_) / 2;
    const QColor colour =
        option.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text);
    if (byCharacter && DrawStamped(*painter, text, x, y, colour.rgba())) return;
    const QPen oldPen = painter->pen();
    const QFont oldFont = painter->font();
    painter->setFont(font_);
    painter->setPen(colour);
    if (byCharacter && DrawAsRun(painter, text, x, y)) {
        // drawn
    } else if (byCharacter) {
        for (QChar c : text) {
            const Glyph& glyph = ShapedCharacter(c);
            painter->drawStaticText(QPointF(x, y), glyph.shaped);
            x += glyph.advance;
        }
    } else {
        painter->drawStaticText(QPointF(x, y), Shaped(text));
    }
    painter->setPen(oldPen);
    painter->setFont(oldFont);
}
