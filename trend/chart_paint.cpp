#include "trend/chart_paint.h"

#include <algorithm>
#include <cstdlib>

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

// Texts may reach a pixel or two past the box their measure gave (antialiased edges, a
// painter's own measure).
constexpr int kTextBleed = 2;

struct BoxOfPrimitive {
    const ChartLayout& layout;

    PixelBox operator()(const ImagePrimitive& p) const {
        return {p.x, p.y, layout.lines.width, layout.lines.height};
    }
    PixelBox operator()(const LinePrimitive& p) const {
        return {std::min(p.x1, p.x2), std::min(p.y1, p.y2), std::abs(p.x2 - p.x1) + 1,
                std::abs(p.y2 - p.y1) + 1};
    }
    PixelBox operator()(const RectPrimitive& p) const { return p.box; }
    PixelBox operator()(const TextPrimitive& p) const {
        return {p.box.x - kTextBleed, p.box.y - kTextBleed, p.box.width + 2 * kTextBleed,
                p.box.height + 2 * kTextBleed};
    }
};

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

TextSize ControlTextMeasurer::Measure(const std::string& text) const {
    constexpr std::size_t kMostSizes = 1024;  // time labels differ from day to day
    auto it = sizes_.find(text);
    if (it != sizes_.end()) return it->second;
    if (sizes_.size() >= kMostSizes) sizes_.clear();
    const TextExtent extent = control_.GetTextExtent(text);
    return sizes_.emplace(text, TextSize{extent.cx, extent.cy}).first->second;
}

PixelBox BoxOf(const ChartPrimitive& primitive, const ChartLayout& layout) {
    return std::visit(BoxOfPrimitive{layout}, primitive);
}

void PaintPrimitives(PaintTarget& target, const ChartLayout& layout,
                     const std::vector<ChartPrimitive>& primitives) {
    const ToTarget paint{target, layout};
    for (const ChartPrimitive& primitive : primitives) {
        const PixelBox box = BoxOf(primitive, layout);
        if (target.NeedsPainting(box.x, box.y, box.width, box.height)) std::visit(paint, primitive);
    }
}
