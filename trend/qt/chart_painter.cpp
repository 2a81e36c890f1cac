#include "trend/qt/chart_painter.h"

#include <algorithm>

#include <QImage>
#include <QPainter>

namespace {

// In strips: Qt hands a blend of a hundred rows or more to its thread pool, which costs more in
// wake-ups than the few hundred microseconds it saves.
constexpr int kStripRows = 64;

QColor Colour(ChartColour argb) { return QColor::fromRgba(argb); }

QRect Rect(const PixelBox& box) { return {box.x, box.y, box.width, box.height}; }

int Alignment(TextAlign align) {
    switch (align) {
        case TextAlign::Left:
            return Qt::AlignLeft | Qt::AlignVCenter;
        case TextAlign::Centre:
            return Qt::AlignHCenter | Qt::AlignVCenter;
        case TextAlign::Right:
            break;
    }
    return Qt::AlignRight | Qt::AlignVCenter;
}

struct Painter {
    QPainter& painter;
    const ChartLayout& layout;

    void operator()(const ImagePrimitive& p) const {
        const PixelImage& lines = layout.lines;
        if (lines.pixels.empty()) return;
        const QImage image(reinterpret_cast<const uchar*>(lines.pixels.data()), lines.width,
                           lines.height, lines.width * 4, QImage::Format_ARGB32_Premultiplied);
        for (int top = 0; top < lines.height; top += kStripRows) {
            const QRect strip(0, top, lines.width, std::min(kStripRows, lines.height - top));
            painter.drawImage(QPoint(p.x, p.y + top), image, strip);
        }
    }
    void operator()(const LinePrimitive& p) const {
        painter.setPen(QPen(Colour(p.colour), 0));
        painter.drawLine(p.x1, p.y1, p.x2, p.y2);
    }
    void operator()(const RectPrimitive& p) const {
        if (qAlpha(p.fill) != 0) painter.fillRect(Rect(p.box), Colour(p.fill));
        if (qAlpha(p.outline) != 0 && p.box.width > 0 && p.box.height > 0) {
            painter.setPen(QPen(Colour(p.outline), 0));
            painter.setBrush(Qt::NoBrush);
            // An aliased outline of w x h covers w + 1 x h + 1 pixels.
            painter.drawRect(p.box.x, p.box.y, p.box.width - 1, p.box.height - 1);
        }
    }
    void operator()(const TextPrimitive& p) const {
        painter.setPen(Colour(p.colour));
        painter.drawText(Rect(p.box), Alignment(p.align) | Qt::TextDontClip,
                         QString::fromStdString(p.text));
    }
};

}  // namespace

TextSize QtTextMeasurer::Measure(const std::string& text) const {
    return {metrics_.horizontalAdvance(QString::fromStdString(text)), metrics_.height()};
}

void PaintChart(QPainter& painter, const ChartLayout& layout,
                const std::vector<ChartPrimitive>& primitives) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    const Painter paint{painter, layout};
    for (const ChartPrimitive& primitive : primitives) std::visit(paint, primitive);
    painter.restore();
}
