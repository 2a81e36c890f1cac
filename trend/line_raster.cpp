#include "trend/line_raster.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace {

struct Canvas {
    std::uint32_t* bits;
    std::ptrdiff_t stride;  // in pixels
    int width;
    int height;
    std::uint32_t colour;
    int first;  // the columns written: first to end - 1
    int end;

    bool Writes(int x) const { return x >= first && x < end; }
    void Plot(int x, int y) const {
        if (Writes(x)) bits[y * stride + x] = colour;
    }
};

// Liang-Barsky: shortens the segment to the part inside [0, width) x [0, height); false when
// none of it is inside.
bool Clip(const Canvas& canvas, RasterPoint& a, RasterPoint& b) {
    // Just inside the far edges, so that flooring never lands on the pixel past them.
    const double right = canvas.width - 1e-6, bottom = canvas.height - 1e-6;
    const double dx = b.x - a.x, dy = b.y - a.y;
    double t0 = 0, t1 = 1;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {a.x, right - a.x, a.y, bottom - a.y};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0) return false;  // parallel to this edge and outside it
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0) {
            if (t > t1) return false;
            if (t > t0) t0 = t;
        } else {
            if (t < t0) return false;
            if (t < t1) t1 = t;
        }
    }
    const RasterPoint start = a;
    a = {start.x + t0 * dx, start.y + t0 * dy};
    b = {start.x + t1 * dx, start.y + t1 * dy};
    return true;
}

// False also for a point that is not finite.
bool Inside(const Canvas& canvas, const RasterPoint& p) {
    return p.x >= 0 && p.y >= 0 && p.x < canvas.width && p.y < canvas.height;
}

// Bresenham between two pixels inside the canvas, both ends included: one pixel per step along
// the longer axis, the other axis following its error term. `Windowed`: columns outside the
// canvas' written ones are stepped through but not written.
template <bool Windowed>
void SegmentOf(const Canvas& canvas, int x0, int y0, int x1, int y1) {
    const int dx = std::abs(x1 - x0), dy = std::abs(y1 - y0);
    const int sx = x0 < x1 ? 1 : -1;
    const std::ptrdiff_t rowStep = y0 < y1 ? canvas.stride : -canvas.stride;
    std::uint32_t* pixel = canvas.bits + y0 * canvas.stride + x0;
    // Steep, as noisy lines mostly are, means a column of pixels: one step a row.
    const bool steep = dy >= dx;
    const int major = steep ? dy : dx, minor = steep ? dx : dy;
    const std::ptrdiff_t majorStep = steep ? rowStep : sx, minorStep = steep ? sx : rowStep;
    const int majorX = steep ? 0 : sx, minorX = steep ? sx : 0;
    int x = x0;
    int error = major / 2;
    for (int i = 0; i <= major; ++i, pixel += majorStep, x += majorX) {
        if (!Windowed || canvas.Writes(x)) *pixel = canvas.colour;
        error -= minor;
        if (error < 0) {
            error += major;
            pixel += minorStep;
            x += minorX;
        }
    }
}

void Segment(const Canvas& canvas, int x0, int y0, int x1, int y1) {
    if (canvas.first > 0 || canvas.end < canvas.width) {
        if (std::max(x0, x1) >= canvas.first && std::min(x0, x1) < canvas.end) {
            SegmentOf<true>(canvas, x0, y0, x1, y1);
        }
    } else {
        SegmentOf<false>(canvas, x0, y0, x1, y1);
    }
}

// The pixel under a point inside the canvas (truncation is flooring there); clamped, because
// clipping may leave a point a rounding error outside.
int PixelOf(double coordinate, int size) {
    return std::clamp(static_cast<int>(coordinate), 0, size - 1);
}

bool Finite(const RasterPoint& p) {
    return std::isfinite(p.x) && std::isfinite(p.y);
}

// A segment with at least one end outside the canvas.
void ClippedSegment(const Canvas& canvas, RasterPoint a, RasterPoint b) {
    if (!Finite(a) || !Finite(b) || !Clip(canvas, a, b)) return;
    Segment(canvas, PixelOf(a.x, canvas.width), PixelOf(a.y, canvas.height),
            PixelOf(b.x, canvas.width), PixelOf(b.y, canvas.height));
}

// The rows a line has covered so far in the column it is in. Noisy lines go up and down within
// a column and on to the next: the covered rows are gathered and painted once, when the line
// leaves the column, instead of once per segment.
class ColumnRun {
public:
    explicit ColumnRun(const Canvas& canvas) : canvas_(canvas) {}
    ColumnRun(const ColumnRun&) = delete;
    ColumnRun& operator=(const ColumnRun&) = delete;
    ~ColumnRun() { Paint(); }

    // Rows y0..y1 of column x, which touch the run's rows when x is the run's column.
    void Cover(int x, int y0, int y1) {
        const int top = std::min(y0, y1), bottom = std::max(y0, y1);
        if (x != x_) {
            Paint();
            x_ = x;
            top_ = top;
            bottom_ = bottom;
            return;
        }
        top_ = std::min(top_, top);
        bottom_ = std::max(bottom_, bottom);
    }

    // A steep segment that stays in its column or moves to the next: the rows Segment() would
    // give each column (the step comes after half of the rows).
    void CoverSteep(int x0, int y0, int x1, int y1) {
        if (x0 == x1) {
            Cover(x0, y0, y1);
            return;
        }
        const int sy = y0 < y1 ? 1 : -1;
        const int half = std::abs(y1 - y0) / 2;
        Cover(x0, y0, y0 + sy * half);
        Cover(x1, y0 + sy * (half + 1), y1);
    }

    void Paint() {
        if (!canvas_.Writes(x_)) {
            x_ = -1;
            return;
        }
        std::uint32_t* pixel = canvas_.bits + top_ * canvas_.stride + x_;
        for (int y = top_; y <= bottom_; ++y, pixel += canvas_.stride) *pixel = canvas_.colour;
        x_ = -1;
    }

private:
    const Canvas& canvas_;
    int x_ = -1;
    int top_ = 0, bottom_ = -1;
};

}  // namespace

void DrawPolyline(const RasterView& image, const RasterPoint* points, std::size_t count,
                  std::uint32_t colour) {
    if (image.bits == nullptr || image.width <= 0 || image.height <= 0 || count == 0) return;
    const Canvas canvas{image.bits,  image.stride, image.width,
                        image.height, colour,       std::max(image.firstColumn, 0),
                        std::min(image.endColumn, image.width)};
    ColumnRun run(canvas);
    bool wasInside = Inside(canvas, points[0]);
    // Only a point inside converts to a pixel: a huge or non-finite one has no int.
    int x = wasInside ? static_cast<int>(points[0].x) : 0;
    int y = wasInside ? static_cast<int>(points[0].y) : 0;
    if (count == 1 && wasInside) canvas.Plot(x, y);
    for (std::size_t i = 1; i < count; ++i) {
        const RasterPoint& p = points[i];
        const bool inside = Inside(canvas, p);
        // Most segments lie inside: their ends are the pixels already worked out.
        const int nextX = inside ? static_cast<int>(p.x) : 0;
        const int nextY = inside ? static_cast<int>(p.y) : 0;
        const int dx = std::abs(nextX - x);
        if (wasInside && inside && dx <= 1 && std::abs(nextY - y) >= dx) {
            run.CoverSteep(x, y, nextX, nextY);
        } else {
            run.Paint();
            if (wasInside && inside) {
                Segment(canvas, x, y, nextX, nextY);
            } else {
                ClippedSegment(canvas, points[i - 1], p);
            }
        }
        wasInside = inside;
        x = nextX;
        y = nextY;
    }
}
