#pragma once
// The trend chart laid out: margins from the label sizes, round ticks on both axes, the grid,
// the labels and the lines' image, as primitives any painter can draw. No GUI toolkit here.
#include <cstdint>
#include <vector>

#include "trend/chart_primitives.h"
#include "trend/line_raster.h"
#include "trend/ticks.h"

// A line of the chart: points with x in ms since the epoch and y in °C, in time order.
struct ChartLine {
    int channel = 0;
    ChartColour colour = 0;
    std::vector<RasterPoint> points;
};

struct ChartScene {
    int width = 0;  // the chart control, in pixels
    int height = 0;
    std::int64_t fromMs = 0;  // the time range shown
    std::int64_t toMs = 1;
    std::vector<ChartLine> lines;
};

struct ChartLayout {
    PixelBox plot;  // the plot area inside the frame
    std::int64_t fromMs = 0;
    std::int64_t toMs = 1;
    ValueAxis values;
    TimeAxis times;
    PixelImage lines;  // the plot area: background, grid and lines; drawn by ImagePrimitive
    // The part of `lines` this layout drew, in the control's pixels: all of the plot, or the
    // newest columns where only they changed since the previous layout.
    PixelBox linesDrawn;
    std::vector<ChartPrimitive> primitives;

    // Pixels per ms and per °C, the range's ends falling on the centres of the plot's first
    // and last columns and rows.
    double xScale = 1;
    double yScale = 1;
    // Ms per pixel: a point's column is found by division, so that a range moved by whole
    // columns moves every point by exactly as many (a product with the rounded scale may not).
    double msPerColumn = 1;

    // Where a point (ms, °C) falls, in the control's pixels, and back.
    RasterPoint PixelOf(const RasterPoint& value) const {
        return {plot.x + 0.5 + (value.x - static_cast<double>(fromMs)) / msPerColumn,
                plot.y + 0.5 + (values.high - value.y) * yScale};
    }
    RasterPoint ValueAt(const RasterPoint& pixel) const {
        return {static_cast<double>(fromMs) + (pixel.x - plot.x - 0.5) / xScale,
                values.high - (pixel.y - plot.y - 0.5) / yScale};
    }
};

// The layout a new one follows, and the lines it drew.
struct PreviousChart {
    const ChartLayout* layout = nullptr;
    const std::vector<ChartLine>* lines = nullptr;
};

// `reuse`: the previous layout's line image, whose memory the new one takes over (a fresh one
// costs a page fault per 4 KiB at every redraw). With `previous` (whose image `reuse` is) the
// image keeps what did not change: where the plot and its value axis are the same and the
// range is the same or moved by whole columns, the image is moved with it and only the columns
// whose lines differ are drawn again (the newest, and the oldest where a line now starts),
// to the very pixels a whole drawing gives.
ChartLayout LayoutChart(const ChartScene& scene, const TextMeasurer& measurer,
                        PixelImage reuse = {}, const PreviousChart& previous = {});

// The index in `scene.lines` of the line within a few pixels of `pixel` (nearest first), or -1.
int LineNear(const ChartScene& scene, const ChartLayout& layout, const RasterPoint& pixel);

// The point of a line nearest in time to `timeMs` (the line between two points is not a
// reading); null for an empty line.
const RasterPoint* NearestInTime(const ChartLine& line, double timeMs);

// A marker on a hovered point: a ring in the line's colour and a guide down to the time axis.
std::vector<ChartPrimitive> HoverMarker(const ChartLayout& layout, const RasterPoint& value,
                                        ChartColour colour);
