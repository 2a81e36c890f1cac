#pragma once
// What the trend chart is drawn from: a list of simple primitives in the chart control's
// pixels, and the text measurement each platform's painter provides. The layout decides every
// place and every text; a painter only draws them. No GUI toolkit here.
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

// 0xAARRGGBB.
using ChartColour = std::uint32_t;

struct TextSize {
    int width = 0;
    int height = 0;
    bool operator==(const TextSize&) const = default;
};

// Measures a run of UTF-8 text in the font the painter draws the chart's texts with.
class TextMeasurer {
public:
    virtual ~TextMeasurer() = default;
    virtual TextSize Measure(const std::string& text) const = 0;
};

struct PixelBox {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const PixelBox&) const = default;
    bool Overlaps(const PixelBox& other) const {
        return x < other.x + other.width && other.x < x + width && y < other.y + other.height &&
               other.y < y + height;
    }
};

// The plot's pixels (background, grid and lines), opaque ARGB, row after row.
struct PixelImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
    bool operator==(const PixelImage&) const = default;
};

// The layout's plot image, copied with its top-left pixel at (x, y).
struct ImagePrimitive {
    int x = 0;
    int y = 0;
    bool operator==(const ImagePrimitive&) const = default;
};

// One pixel wide, both end pixels included.
struct LinePrimitive {
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    ChartColour colour = 0;
    bool operator==(const LinePrimitive&) const = default;
};

// Filled; an outline of one pixel inside the box when `outline` is not transparent.
struct RectPrimitive {
    PixelBox box;
    ChartColour fill = 0;
    ChartColour outline = 0;
    bool operator==(const RectPrimitive&) const = default;
};

enum class TextAlign { Left, Centre, Right };

// A single line of text in the box the measurer gave it, placed by the layout; `align` tells a
// painter whose own measure differs which edge to keep.
struct TextPrimitive {
    PixelBox box;
    std::string text;
    TextAlign align = TextAlign::Left;
    ChartColour colour = 0;
    bool operator==(const TextPrimitive&) const = default;
};

using ChartPrimitive = std::variant<ImagePrimitive, LinePrimitive, RectPrimitive, TextPrimitive>;
