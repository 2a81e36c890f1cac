#include "trend/qt/chart_painter.h"

#include <QImage>
#include <QPainter>
#include <algorithm>

namespace {

// In strips: Qt hands a blend of a hundred rows or more to its thread pool, which costs more in
// wake-ups than the few hundred microseconds it saves.
constexpr int kStripRows = 64;
// Labels no longer shown are forgotten now and then.
constexpr qsizetype kMostTexts = 512;

QColor Colour(ChartColour argb) {
    return QColor::fromRgba(argb);
}

}  // namespace

struct PrimitivePainter {
    QtChartPainter& owner;
    QPainter& painter;
    const ChartLayout& layout;

    void operator()(const ImagePrimitive& p) const {
        const PixelImage& lines = layout.lines;
        if (lines.pixels.empty()) return;
        const QImage image(reinterpret_cast<const uchar*>(lines.pixels.data()), lines.width,
                           lines.height, lines.width * 4, QImage::Format_RGB32);
        for (int top = 0; top < lines.height; top += kStripRows) {
            const QRect strip(0, top, lines.width, std::min(kStripRows, lines.height - top));
            painter.drawImage(QPoint(p.x, p.y + top), image, strip);
        }
    }
    void operator()(const LinePrimitive& p) const {
        // Grid lines and ticks are level or upright: filled as one-pixel rectangles, far
        // cheaper than the stroker.
        if (p.x1 == p.x2 || p.y1 == p.y2) {
            painter.fillRect(QRect(QPoint(std::min(p.x1, p.x2), std::min(p.y1, p.y2)),
                                   QPoint(std::max(p.x1, p.x2), std::max(p.y1, p.y2))),
                             Colour(p.colour));
            return;
        }
        painter.setPen(QPen(Colour(p.colour), 0));
        painter.drawLine(p.x1, p.y1, p.x2, p.y2);
    }
    void operator()(const RectPrimitive& p) const {
        const QRect box(p.box.x, p.box.y, p.box.width, p.box.height);
        if (box.isEmpty()) return;
        if (qAlpha(p.fill) != 0) painter.fillRect(box, Colour(p.fill));
        if (qAlpha(p.outline) != 0) {
            const QColor outline = Colour(p.outline);
            painter.fillRect(QRect(box.left(), box.top(), box.width(), 1), outline);
            painter.fillRect(QRect(box.left(), box.bottom(), box.width(), 1), outline);
            painter.fillRect(QRect(box.left(), box.top(), 1, box.height()), outline);
            painter.fillRect(QRect(box.right(), box.top(), 1, box.height()), outline);
        }
    }
    void operator()(const TextPrimitive& p) const {
        const QStaticText& text = owner.Text(p.text);
        const QSizeF size = text.size();
        // The layout's box is what this font measured; keep the edge its alignment names.
        double x = p.box.x;
        if (p.align == TextAlign::Centre) x += (p.box.width - size.width()) / 2;
        if (p.align == TextAlign::Right) x += p.box.width - size.width();
        painter.setPen(Colour(p.colour));
        painter.drawStaticText(QPointF(x, p.box.y + (p.box.height - size.height()) / 2), text);
    }
};

TextSize QtTextMeasurer::Measure(const std::string& text) const {
    auto it = sizes_.find(text);
    if (it == sizes_.end()) {
        if (sizes_.size() > kMostTexts) sizes_.clear();
        const TextSize size{metrics_.horizontalAdvance(QString::fromStdString(text)),
                            metrics_.height()};
        it = sizes_.emplace(text, size).first;
    }
    return it->second;
}

const QStaticText& QtChartPainter::Text(const std::string& text) {
    const QString key = QString::fromStdString(text);
    auto it = texts_.find(key);
    if (it == texts_.end()) {
        if (texts_.size() > kMostTexts) texts_.clear();
        QStaticText staticText(key);
        staticText.setTextFormat(Qt::PlainText);
        staticText.prepare(QTransform(), font_);
        it = texts_.insert(key, staticText);
    }
    return *it;
}

void QtChartPainter::Paint(QPainter& painter, const ChartLayout& layout,
                           const std::vector<ChartPrimitive>& primitives) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setFont(font_);
    const PrimitivePainter paint{*this, painter, layout};
    for (const ChartPrimitive& primitive : primitives) std::visit(paint, primitive);
    painter.restore();
}
