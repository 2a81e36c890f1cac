#pragma once
// Thin opaque lines written straight into a 32-bit image, one pixel per step along the longer
// axis, clipped to the image. A general stroker hands every pixel of a steep line to its
// blender as a span of its own; noisy trend lines are mostly steep, so that was most of the
// trend's painting. No GUI toolkit here: both platforms draw the same pixels.
#include <cstddef>
#include <cstdint>
#include <limits>

struct RasterPoint {
    double x = 0;
    double y = 0;
};

// A view of 32-bit pixels (premultiplied ARGB, 0xAARRGGBB in native order): `stride` pixels
// from one row to the next.
struct RasterView {
    std::uint32_t* bits = nullptr;
    std::ptrdiff_t stride = 0;
    int width = 0;
    int height = 0;
    // Only columns firstColumn to endColumn - 1 are written, the others left as they are: a
    // part of an image drawn again gets exactly the pixels a drawing of the whole would give it.
    int firstColumn = 0;
    int endColumn = std::numeric_limits<int>::max();
};

// A polyline through `count` points in the image's pixel coordinates (pixel (x, y) covers
// [x, x + 1) x [y, y + 1)), in an opaque `colour`. Points that are not finite break the line.
void DrawPolyline(const RasterView& image, const RasterPoint* points, std::size_t count,
                  std::uint32_t colour);
