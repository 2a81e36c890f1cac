#include "trend/chart_layout.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <string>
#include <utility>

namespace {

constexpr int kOuter = 6;         // around everything
constexpr int kTick = 4;          // tick marks outside the frame
constexpr int kLabelGap = 3;      // from a tick mark to its label
constexpr int kTitleGap = 4;      // from an axis title to what it names
constexpr int kTimeLabelGap = 8;  // at least between neighbouring time labels
constexpr double kHoverPixels = 4.0;
constexpr int kMarker = 7;

constexpr ChartColour kBackground = 0xFFFFFFFF;
constexpr ChartColour kFrame = 0xFF808080;
constexpr ChartColour kGrid = 0xFFE2E2E2;
constexpr ChartColour kText = 0xFF202020;
constexpr ChartColour kGuide = 0xFFA0A0A0;

const char kValueTitle[] = "温度 (°C)";
const char kTimeTitle[] = "时间";

// Texts measured once per layout: the time axis tries several steps with the same labels.
class MeasureCache {
public:
    explicit MeasureCache(const TextMeasurer& measurer) : measurer_(measurer) {}
    TextSize operator()(const std::string& text) {
        auto it = sizes_.find(text);
        if (it == sizes_.end()) it = sizes_.emplace(text, measurer_.Measure(text)).first;
        return it->second;
    }

private:
    const TextMeasurer& measurer_;
    std::map<std::string, TextSize> sizes_;
};

// Texts go in only where they overlap none already placed, so that no label ever covers
// another, however small the control.
class TextPlacer {
public:
    explicit TextPlacer(std::vector<ChartPrimitive>& out) : out_(out) {}
    void Place(PixelBox box, std::string text, TextAlign align, int width, int height) {
        box.x = std::clamp(box.x, 0, std::max(0, width - box.width));
        box.y = std::clamp(box.y, 0, std::max(0, height - box.height));
        for (const PixelBox& placed : boxes_) {
            if (placed.Overlaps(box)) return;
        }
        boxes_.push_back(box);
        out_.push_back(TextPrimitive{box, std::move(text), align, kText});
    }

private:
    std::vector<ChartPrimitive>& out_;
    std::vector<PixelBox> boxes_;
};

bool SameValueAxis(const ValueAxis& a, const ValueAxis& b) {
    return a.low == b.low && a.high == b.high && a.step == b.step && a.decimals == b.decimals &&
           a.ticks == b.ticks;
}

// A gap (a value that is not a number) is the same gap.
bool SamePoint(const RasterPoint& a, const RasterPoint& b) {
    return a.x == b.x && (a.y == b.y || (std::isnan(a.y) && std::isnan(b.y)));
}

// The image column a point falls in, as the rasteriser takes it.
int ColumnOf(const ChartLayout& layout, const RasterPoint& value) {
    const double x = layout.PixelOf(value).x - layout.plot.x;
    return std::clamp(static_cast<int>(std::max(x, 0.0)), 0, layout.plot.width - 1);
}

// The columns whose pixels differ between the previous lines, moved left by `shift` columns,
// and these: the oldest columns [0, leftEnd), where a line lost the segment into its first
// point, and the newest [rightStart, width). The plot and the value axis are the same, so that
// a point is on the same pixel in both but for the move. rightStart 0: all of them.
struct ChangedColumns {
    int leftEnd = 0;
    int rightStart = 0;
};

ChangedColumns ColumnsToDraw(const ChartLayout& layout, int shift,
                             const std::vector<ChartLine>& before,
                             const std::vector<ChartLine>& after) {
    const ChangedColumns all{0, 0};
    if (before.size() != after.size()) return all;
    ChangedColumns changed{0, layout.plot.width - shift};
    for (std::size_t l = 0; l < after.size(); ++l) {
        const std::vector<RasterPoint>& old = before[l].points;
        const std::vector<RasterPoint>& now = after[l].points;
        if (before[l].channel != after[l].channel || before[l].colour != after[l].colour) {
            return all;
        }
        if (old.empty() && now.empty()) continue;
        if (old.empty() || now.empty()) return all;
        // Where the new line starts among the old points: the older ones went out of the range.
        const auto start = std::lower_bound(
            old.begin(), old.end(), now.front().x,
            [](const RasterPoint& p, double x) { return p.x < x; });
        if (start == old.end() || !SamePoint(*start, now.front())) return all;
        if (start != old.begin()) {
            changed.leftEnd = std::max(changed.leftEnd, ColumnOf(layout, now.front()) + 1);
        }
        const std::size_t offset = static_cast<std::size_t>(start - old.begin());
        const std::size_t common = std::min(old.size() - offset, now.size());
        std::size_t i = 1;
        while (i < common && SamePoint(old[offset + i], now[i])) ++i;
        if (i == old.size() - offset && i == now.size()) continue;
        // The segment into the first point that differs, old or new, starts at the point
        // before it, which both share.
        changed.rightStart = std::min(changed.rightStart, ColumnOf(layout, now[i - 1]));
    }
    if (changed.leftEnd >= changed.rightStart) return all;
    return changed;
}

// Background and grid of columns [first, end): a plain row, and a grid row where a value tick
// falls.
void FillColumns(PixelImage& image, int first, int end, const std::vector<bool>& gridRows,
                 const std::vector<std::uint32_t>& plainRow) {
    for (int y = 0; y < image.height && first < end; ++y) {
        std::uint32_t* const out =
            image.pixels.data() + static_cast<std::size_t>(y) * image.width + first;
        if (gridRows[static_cast<std::size_t>(y)]) {
            std::fill_n(out, end - first, kGrid);
        } else {
            std::copy(plainRow.begin() + first, plainRow.begin() + end, out);
        }
    }
}

// The lines' pixels in columns [first, end), from the segment reaching into them to the one
// leaving them.
void DrawColumns(const ChartLayout& layout, const std::vector<ChartLine>& lines, PixelImage& image,
                 int first, int end) {
    if (first >= end) return;
    const PixelBox& plot = layout.plot;
    const RasterView view{image.pixels.data(), plot.width, plot.width, plot.height, first, end};
    std::vector<RasterPoint> pixels;
    for (const ChartLine& line : lines) {
        const auto reaching = std::partition_point(
            line.points.begin(), line.points.end(),
            [&](const RasterPoint& p) { return ColumnOf(layout, p) < first; });
        if (reaching == line.points.end()) continue;
        const auto from = reaching == line.points.begin() ? reaching : reaching - 1;
        auto to = std::partition_point(reaching, line.points.end(), [&](const RasterPoint& p) {
            return ColumnOf(layout, p) < end;
        });
        if (to != line.points.end()) ++to;  // the segment out of them
        pixels.resize(static_cast<std::size_t>(to - from));
        for (std::size_t i = 0; i < pixels.size(); ++i) {
            const RasterPoint p = layout.PixelOf(from[static_cast<std::ptrdiff_t>(i)]);
            pixels[i] = {p.x - plot.x, p.y - plot.y};
        }
        DrawPolyline(view, pixels.data(), pixels.size(), line.colour | 0xFF000000u);
    }
}

double SegmentDistance(const RasterPoint& p, const RasterPoint& a, const RasterPoint& b) {
    const double abx = b.x - a.x, aby = b.y - a.y;
    const double length2 = abx * abx + aby * aby;
    const double t =
        length2 > 0 ? std::clamp(((p.x - a.x) * abx + (p.y - a.y) * aby) / length2, 0.0, 1.0) : 0.0;
    return std::hypot(p.x - (a.x + t * abx), p.y - (a.y + t * aby));
}

}  // namespace

ChartLayout LayoutChart(const ChartScene& scene, const TextMeasurer& measurer, PixelImage reuse,
                        const PreviousChart& previous) {
    ChartLayout layout;
    layout.lines = std::move(reuse);
    MeasureCache measure(measurer);
    const int width = std::max(scene.width, 1), height = std::max(scene.height, 1);
    layout.fromMs = scene.fromMs;
    layout.toMs = std::max(scene.toMs, scene.fromMs + 1);

    const TextSize valueTitle = measure(kValueTitle), timeTitle = measure(kTimeTitle);
    const int textHeight = measure("0").height;
    // The top label's half-height stays clear of the title above it; the time labels keep
    // clear of the lowest value label.
    const int top = kOuter + valueTitle.height + kTitleGap + textHeight / 2;
    const int timeLabelDrop = std::max(kTick + kLabelGap, textHeight / 2 + 1);
    const int bottom = timeLabelDrop + textHeight + kTitleGap + timeTitle.height + kOuter;
    const int plotHeight = std::max(height - top - bottom, 2);

    bool any = false;
    double low = 0, high = 0;
    for (const ChartLine& line : scene.lines) {
        for (const RasterPoint& p : line.points) {
            if (!std::isfinite(p.y)) continue;
            low = any ? std::min(low, p.y) : p.y;
            high = any ? std::max(high, p.y) : p.y;
            any = true;
        }
    }
    // Value labels at least two text lines apart.
    layout.values = ChooseValueAxis(low, high, plotHeight / (2 * std::max(textHeight, 1)) + 1);
    std::vector<std::string> valueLabels;
    int valueLabelWidth = 0;
    for (const double v : layout.values.ticks) {
        valueLabels.push_back(ValueLabel(v, layout.values.decimals));
        valueLabelWidth = std::max(valueLabelWidth, measure(valueLabels.back()).width);
    }
    const int left = kOuter + valueLabelWidth + kLabelGap + kTick + 1;
    const int right = kOuter + measure("00:00:00").width / 2;
    const int plotWidth = std::max(width - left - right, 2);
    layout.plot = {left, top, plotWidth, plotHeight};
    layout.xScale = (plotWidth - 1) / static_cast<double>(layout.toMs - layout.fromMs);
    layout.msPerColumn = static_cast<double>(layout.toMs - layout.fromMs) / (plotWidth - 1);
    layout.yScale = (plotHeight - 1) / (layout.values.high - layout.values.low);
    layout.times = ChooseTimeAxis(layout.fromMs, layout.toMs, plotWidth, kTimeLabelGap,
                                  [&](const std::string& text) { return measure(text).width; });

    std::vector<ChartPrimitive>& out = layout.primitives;
    const PixelBox& plot = layout.plot;
    const int plotBottom = plot.y + plot.height - 1, plotRight = plot.x + plot.width - 1;
    // The plot's background and grid are pixels of the lines' image, which is opaque: the
    // painter copies it rather than blending it over a background filled first.
    const int frameTop = plot.y - 1, frameBottom = plotBottom + 1, frameRight = plotRight + 1;
    for (const PixelBox& margin :
         {PixelBox{0, 0, width, frameTop},
          PixelBox{0, frameBottom + 1, width, height - frameBottom - 1},
          PixelBox{0, frameTop, plot.x - 1, plot.height + 2},
          PixelBox{frameRight + 1, frameTop, width - frameRight - 1, plot.height + 2}}) {
        if (margin.width > 0 && margin.height > 0)
            out.push_back(RectPrimitive{margin, kBackground, 0});
    }
    out.push_back(
        RectPrimitive{{plot.x - 1, plot.y - 1, plot.width + 2, plot.height + 2}, 0, kFrame});
    auto row = [&](double value) {
        return std::clamp(static_cast<int>(std::floor(layout.PixelOf({0, value}).y)), plot.y,
                          plotBottom);
    };
    auto column = [&](std::int64_t ms) {
        return std::clamp(
            static_cast<int>(std::floor(layout.PixelOf({static_cast<double>(ms), 0}).x)), plot.x,
            plotRight);
    };

    PixelImage& image = layout.lines;
    const std::size_t imageSize = static_cast<std::size_t>(plot.width) * plot.height;
    // Kept from the previous layout, moved with the range, where it showed the same span on the
    // same axes and a whole number of columns ago.
    int shift = -1;
    if (previous.layout != nullptr && previous.lines != nullptr && image.width == plot.width &&
        image.height == plot.height && image.pixels.size() == imageSize &&
        previous.layout->plot == plot &&
        previous.layout->toMs - previous.layout->fromMs == layout.toMs - layout.fromMs &&
        SameValueAxis(previous.layout->values, layout.values) &&
        previous.layout->times.stepMs == layout.times.stepMs) {
        const std::int64_t range = layout.toMs - layout.fromMs;
        const std::int64_t moved = (layout.fromMs - previous.layout->fromMs) * (plot.width - 1);
        if (moved >= 0 && moved % range == 0 && moved / range < plot.width) {
            shift = static_cast<int>(moved / range);
        }
    }
    const ChangedColumns changed =
        shift >= 0 ? ColumnsToDraw(layout, shift, *previous.lines, scene.lines) : ChangedColumns{};
    image.width = plot.width;
    image.height = plot.height;
    image.pixels.resize(imageSize);
    if (changed.rightStart > 0 && shift > 0) {
        for (int y = 0; y < plot.height; ++y) {
            std::uint32_t* const out =
                image.pixels.data() + static_cast<std::size_t>(y) * plot.width;
            std::memmove(out, out + shift, static_cast<std::size_t>(plot.width - shift) * 4);
        }
    }
    // Moved, every pixel is new on the screen; otherwise only the newest columns drawn.
    layout.linesDrawn = shift == 0 ? PixelBox{plot.x + changed.rightStart, plot.y,
                                              plot.width - changed.rightStart, plot.height}
                                   : plot;
    // Background and grid row by row: one row of the plot as it is under the lines, copied, and
    // a grid row where a value tick falls. A pass per grid line down its columns cost more.
    std::vector<bool> gridRows(static_cast<std::size_t>(plot.height), false);
    for (const double v : layout.values.ticks) {
        gridRows[static_cast<std::size_t>(row(v) - plot.y)] = true;
    }
    std::vector<std::uint32_t> plainRow(static_cast<std::size_t>(plot.width), kBackground);
    for (const TimeTick& tick : layout.times.ticks) {
        plainRow[static_cast<std::size_t>(column(tick.ms) - plot.x)] = kGrid;
    }
    FillColumns(image, 0, changed.leftEnd, gridRows, plainRow);
    FillColumns(image, changed.rightStart, plot.width, gridRows, plainRow);
    DrawColumns(layout, scene.lines, image, 0, changed.leftEnd);
    DrawColumns(layout, scene.lines, image, changed.rightStart, plot.width);
    out.push_back(ImagePrimitive{plot.x, plot.y});

    TextPlacer texts(out);
    texts.Place({kOuter, kOuter, valueTitle.width, valueTitle.height}, kValueTitle, TextAlign::Left,
                width, height);
    texts.Place({plot.x + (plot.width - timeTitle.width) / 2, height - kOuter - timeTitle.height,
                 timeTitle.width, timeTitle.height},
                kTimeTitle, TextAlign::Centre, width, height);
    for (std::size_t i = 0; i < valueLabels.size(); ++i) {
        const int y = row(layout.values.ticks[i]);
        out.push_back(LinePrimitive{plot.x - 1 - kTick, y, plot.x - 2, y, kFrame});
        const TextSize size = measure(valueLabels[i]);
        texts.Place({plot.x - 1 - kTick - kLabelGap - size.width, y - size.height / 2, size.width,
                     size.height},
                    valueLabels[i], TextAlign::Right, width, height);
    }
    for (const TimeTick& tick : layout.times.ticks) {
        const int x = column(tick.ms);
        out.push_back(LinePrimitive{x, plotBottom + 2, x, plotBottom + 1 + kTick, kFrame});
        const TextSize size = measure(tick.label);
        texts.Place({x - size.width / 2, plotBottom + 1 + timeLabelDrop, size.width, size.height},
                    tick.label, TextAlign::Centre, width, height);
    }
    return layout;
}

const RasterPoint* NearestInTime(const ChartLine& line, double timeMs) {
    const std::vector<RasterPoint>& points = line.points;
    if (points.empty()) return nullptr;
    auto it = std::lower_bound(points.begin(), points.end(), timeMs,
                               [](const RasterPoint& p, double x) { return p.x < x; });
    if (it == points.end() || (it != points.begin() && timeMs - (it - 1)->x < it->x - timeMs)) {
        --it;
    }
    return &*it;
}

int LineNear(const ChartScene& scene, const ChartLayout& layout, const RasterPoint& pixel) {
    int best = -1;
    double bestDistance = kHoverPixels;
    const double lowX = layout.ValueAt({pixel.x - kHoverPixels, pixel.y}).x;
    const double highX = layout.ValueAt({pixel.x + kHoverPixels, pixel.y}).x;
    for (std::size_t index = 0; index < scene.lines.size(); ++index) {
        const std::vector<RasterPoint>& line = scene.lines[index].points;
        if (line.empty()) continue;
        // The segments that reach within a few pixels of the pointer, horizontally.
        auto it = std::lower_bound(line.begin(), line.end(), lowX,
                                   [](const RasterPoint& p, double x) { return p.x < x; });
        if (it != line.begin()) --it;
        for (; it != line.end(); ++it) {
            const auto next = it + 1;
            const RasterPoint a = layout.PixelOf(*it);
            const double d = next == line.end() ? std::hypot(pixel.x - a.x, pixel.y - a.y)
                                                : SegmentDistance(pixel, a, layout.PixelOf(*next));
            if (d <= bestDistance) {
                bestDistance = d;
                best = static_cast<int>(index);
            }
            if (it->x > highX) break;
        }
    }
    return best;
}

std::vector<ChartPrimitive> HoverMarker(const ChartLayout& layout, const RasterPoint& value,
                                        ChartColour colour) {
    const RasterPoint p = layout.PixelOf(value);
    const PixelBox& plot = layout.plot;
    // Compared before converting: a point far outside has no int.
    if (!(p.x >= plot.x && p.x < plot.x + plot.width && p.y >= plot.y &&
          p.y < plot.y + plot.height)) {
        return {};
    }
    const int x = static_cast<int>(p.x), y = static_cast<int>(p.y);
    std::vector<ChartPrimitive> marker;
    marker.emplace_back(LinePrimitive{x, plot.y, x, plot.y + plot.height - 1, kGuide});
    marker.emplace_back(RectPrimitive{
        {x - kMarker / 2, y - kMarker / 2, kMarker, kMarker}, 0, colour | 0xFF000000u});
    return marker;
}
