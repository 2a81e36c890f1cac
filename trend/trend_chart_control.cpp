#include "trend/trend_chart_control.h"

#include <algorithm>
#include <utility>

#include "trend/chart_paint.h"

namespace {

constexpr ChartColour kLabelFill = 0xFFFFFFE1;
constexpr ChartColour kLabelOutline = 0xFF767676;
constexpr ChartColour kLabelText = 0xFF202020;
constexpr int kLabelPadding = 3;
constexpr int kLabelOffset = 16;  // below and right of the pointer, clear of its arrow

// A label of a few lines in a box near (x, y), kept inside the control.
void PlaceLabel(std::vector<ChartPrimitive>& out, const std::string& text, int x, int y,
                int width, int height, const TextMeasurer& measurer) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end == std::string::npos ? end : end - start));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    int textWidth = 0, lineHeight = 0;
    std::vector<TextSize> sizes;
    for (const std::string& line : lines) {
        sizes.push_back(measurer.Measure(line));
        textWidth = std::max(textWidth, sizes.back().width);
        lineHeight = std::max(lineHeight, sizes.back().height);
    }
    PixelBox box{x + kLabelOffset / 2, y + kLabelOffset, textWidth + 2 * kLabelPadding,
                 lineHeight * static_cast<int>(lines.size()) + 2 * kLabelPadding};
    if (box.x + box.width > width) box.x = x - box.width - 2;
    if (box.y + box.height > height) box.y = y - box.height - 2;
    box.x = std::max(box.x, 0);
    box.y = std::max(box.y, 0);
    out.emplace_back(RectPrimitive{box, kLabelFill, kLabelOutline});
    for (std::size_t i = 0; i < lines.size(); ++i) {
        out.emplace_back(TextPrimitive{{box.x + kLabelPadding,
                                        box.y + kLabelPadding + lineHeight * static_cast<int>(i),
                                        sizes[i].width, lineHeight},
                                       lines[i], TextAlign::Left, kLabelText});
    }
}

}  // namespace

void TrendChartControl::SetScene(std::int64_t fromMs, std::int64_t toMs,
                                 std::vector<ChartLine> lines) {
    scene_.fromMs = fromMs;
    scene_.toMs = toMs;
    // The lines drawn so far: the new image keeps what of them did not change.
    const std::vector<ChartLine> linesBefore = std::exchange(scene_.lines, std::move(lines));
    const std::vector<ChartPrimitive> before = std::move(layout_.primitives);
    const PixelBox plotBefore = layout_.plot;
    const std::vector<ChartPrimitive> markerBefore = std::move(marker_);
    Relayout(&linesBefore);
    InvalidateChanged(before, plotBefore, markerBefore);
}

void TrendChartControl::InvalidateChanged(const std::vector<ChartPrimitive>& before,
                                          const PixelBox& plotBefore,
                                          const std::vector<ChartPrimitive>& markerBefore) {
    // A new reading mostly moves the lines and the time labels; the value labels, titles and
    // margins mostly stay, and are neither drawn nor copied to the screen again.
    const std::vector<ChartPrimitive>& after = layout_.primitives;
    if (before.size() != after.size() || !(plotBefore == layout_.plot)) {
        Invalidate();
        return;
    }
    auto invalidate = [&](const ChartPrimitive& primitive) {
        const PixelBox box = BoxOf(primitive, layout_);
        InvalidateRect(box.x, box.y, box.width, box.height);
    };
    for (std::size_t i = 0; i < after.size(); ++i) {
        if (std::holds_alternative<ImagePrimitive>(after[i])) {
            // Of the image, what the layout drew.
            const PixelBox& drawn = layout_.linesDrawn;
            InvalidateRect(drawn.x, drawn.y, drawn.width, drawn.height);
        } else if (!(before[i] == after[i])) {
            invalidate(before[i]);
            invalidate(after[i]);
        }
    }
    if (markerBefore != marker_) {
        for (const ChartPrimitive& primitive : markerBefore) invalidate(primitive);
        for (const ChartPrimitive& primitive : marker_) invalidate(primitive);
    }
}

const ChartLine* TrendChartControl::LineOf(int channel) const {
    for (const ChartLine& line : scene_.lines) {
        if (line.channel == channel) return &line;
    }
    return nullptr;
}

RasterPoint TrendChartControl::Position(const RasterPoint& value) const {
    return layout_.PixelOf(value);
}

void TrendChartControl::Relayout(const std::vector<ChartLine>* linesBefore) {
    const int columns = layout_.plot.width;
    scene_.width = ClientWidth();
    scene_.height = ClientHeight();
    ChartLayout before = std::move(layout_);
    layout_ = LayoutChart(scene_, measurer_, std::move(before.lines),
                          linesBefore != nullptr ? PreviousChart{&before, linesBefore}
                                                 : PreviousChart{});
    PlaceMarker();
    if (layout_.plot.width != columns && onPlotWidthChanged) onPlotWidthChanged(layout_.plot.width);
}

void TrendChartControl::PlaceMarker() {
    marker_.clear();
    hoverLabel_.clear();
    const ChartLine* line = hovered_ >= 0 ? LineOf(hovered_) : nullptr;
    const RasterPoint* point = line != nullptr ? NearestInTime(*line, hoverMs_) : nullptr;
    if (point == nullptr) return;
    marker_ = HoverMarker(layout_, *point, line->colour);
    if (hoverText) hoverLabel_ = hoverText(hovered_, hoverMs_);
    if (!hoverLabel_.empty()) {
        PlaceLabel(marker_, hoverLabel_, pointerX_, pointerY_, scene_.width, scene_.height,
                   measurer_);
    }
}

void TrendChartControl::OnPaint(PaintTarget& target) {
    PaintPrimitives(target, layout_, layout_.primitives);
    PaintPrimitives(target, layout_, marker_);
}

void TrendChartControl::OnSize(int, int) {
    measurer_.Forget();  // also called for a new font
    Relayout();
    Invalidate();
}

void TrendChartControl::OnMouseMove(int x, int y) {
    const RasterPoint pixel{static_cast<double>(x), static_cast<double>(y)};
    const int index = LineNear(scene_, layout_, pixel);
    if (index < 0) {
        OnMouseLeave();
        return;
    }
    hovered_ = scene_.lines[static_cast<std::size_t>(index)].channel;
    hoverMs_ = layout_.ValueAt(pixel).x;
    pointerX_ = x;
    pointerY_ = y;
    PlaceMarker();
    Invalidate();
}

void TrendChartControl::OnMouseLeave() {
    if (hovered_ < 0) return;
    hovered_ = -1;
    marker_.clear();
    hoverLabel_.clear();
    Invalidate();
}
