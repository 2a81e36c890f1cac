#include "trend/chart_paint.h"

namespace {

TextAlignment Alignment(TextAlign align) {
    switch (align) {
        case TextAlign::Left:
            break;
        case TextAlign::Centre:
            return TextAlignment::Centre;
        case TextAlign::Right:
            return TextAlignment::Right;
    }
    return TextAlignment::Left;
}

struct ToTarget {
    PaintTarget& target;
    const ChartLayout& layout;

    void operator()(const ImagePrimitive& p) const {
        const PixelImage& image = layout.lines;
        if (image.pixels.empty()) return;
        target.DrawImage(p.x, p.y, image.width, image.height, image.pixels.data());
    }
    void operator()(const LinePrimitive& p) const {
        target.DrawLine(p.x1, p.y1, p.x2, p.y2, p.colour);
    }
    void operator()(const RectPrimitive& p) const {
        const PixelBox& b = p.box;
        if (b.width <= 0 || b.height <= 0) return;
        if ((p.fill >> 24) != 0) target.FillRect(b.x, b.y, b.width, b.height, p.fill);
        if ((p.outline >> 24) != 0) {
            target.FillRect(b.x, b.y, b.width, 1, p.outline);
            target.FillRect(b.x, b.y + b.height - 1, b.width, 1, p.outline);
            target.FillRect(b.x, b.y, 1, b.height, p.outline);
            target.FillRect(b.x + b.width - 1, b.y, 1, b.height, p.outline);
        }
    }
    void operator()(const TextPrimitive& p) const {
        target.DrawText(p.box.x, p.box.y, p.box.width, p.box.height, p.text, Alignment(p.align),
                        p.colour);
    }
};

}  // namespace

void PaintPrimitives(PaintTarget& target, const ChartLayout& layout,
                     const std::vector<ChartPrimitive>& primitives) {
    const ToTarget paint{target, layout};
    for (const ChartPrimitive& primitive : primitives) std::visit(paint, primitive);
}
