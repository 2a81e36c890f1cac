// Thin lines written straight into an image: the pixels each segment must reach, no gaps in
// steep or shallow lines, nothing outside the segments' reach, and clipping that never writes
// past the image (it is drawn here inside a larger buffer whose margin must stay untouched).
#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <set>
#include <utility>
#include <vector>

#include "trend/line_raster.h"

namespace {

constexpr QRgb kInk = 0xFF2060A0;
using Pixel = std::pair<int, int>;

std::set<Pixel> Painted(const QImage& image) {
    std::set<Pixel> pixels;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) == kInk) pixels.insert({x, y});
        }
    }
    return pixels;
}

QImage Blank(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

RasterView View(QImage& image) {
    return {reinterpret_cast<std::uint32_t*>(image.bits()), image.bytesPerLine() / 4,
            image.width(), image.height()};
}

void Draw(QImage& image, const std::vector<QPointF>& points) {
    std::vector<RasterPoint> raster;
    for (const QPointF& p : points) raster.push_back({p.x(), p.y()});
    DrawPolyline(View(image), raster.data(), raster.size(), kInk);
}

std::set<Pixel> Draw(const std::vector<QPointF>& points, int width = 40, int height = 30) {
    QImage image = Blank(width, height);
    Draw(image, points);
    return Painted(image);
}

std::set<Pixel> Column(int x, int top, int bottom) {
    std::set<Pixel> pixels;
    for (int y = top; y <= bottom; ++y) pixels.insert({x, y});
    return pixels;
}

// Whether painted pixels inside the segment's bounding box join its two end pixels.
bool Joined(const std::set<Pixel>& painted, Pixel from, Pixel to) {
    const int left = std::min(from.first, to.first), right = std::max(from.first, to.first);
    const int top = std::min(from.second, to.second), bottom = std::max(from.second, to.second);
    std::set<Pixel> seen{from};
    std::vector<Pixel> open{from};
    while (!open.empty()) {
        const Pixel p = open.back();
        open.pop_back();
        if (p == to) return true;
        for (int dx = -1; dx <= 1; ++dx) {
            for (int dy = -1; dy <= 1; ++dy) {
                const Pixel n{p.first + dx, p.second + dy};
                if (n.first < left || n.first > right || n.second < top || n.second > bottom) continue;
                if (painted.count(n) == 0 || !seen.insert(n).second) continue;
                open.push_back(n);
            }
        }
    }
    return false;
}

TEST(LineRasterTest, SteepStepsBetweenColumnsCoverEachRowOnce) {
    // Up and down within a column and on to the next, as a noisy decimated line goes.
    EXPECT_EQ(Draw({{3.5, 2.5}, {3.5, 7.5}}), Column(3, 2, 7));
    std::set<Pixel> step = Column(3, 2, 5);
    for (const Pixel& p : Column(4, 6, 9)) step.insert(p);
    EXPECT_EQ(Draw({{3.5, 2.5}, {4.5, 9.5}}), step) << "half of the rows in each column";
    std::set<Pixel> zigzag = Column(3, 2, 9);
    for (const Pixel& p : Column(4, 1, 5)) zigzag.insert(p);
    EXPECT_EQ(Draw({{3.5, 2.5}, {3.5, 9.5}, {4.5, 1.5}, {4.5, 5.5}}), zigzag);
    EXPECT_EQ(Draw({{6.2, 4.9}}), (std::set<Pixel>{{6, 4}})) << "a single point";
    EXPECT_EQ(Draw({{0, 0}, {5, 0}}), (std::set<Pixel>{{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}, {5, 0}}));
}

TEST(LineRasterTest, RandomPolylinesReachEveryPointWithoutGapsOrStrayPixels) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> x(0, 39.99), y(0, 29.99);
    std::uniform_int_distribution<int> step(0, 2);
    for (int round = 0; round < 200; ++round) {
        // Mostly a sample or two per column, now and then a long stride.
        std::vector<QPointF> points{{x(random) / 4, y(random)}};
        while (points.size() < 30) {
            const double nextX = points.back().x() + (round % 5 == 0 ? x(random) / 4 : step(random));
            if (nextX >= 40) break;
            points.push_back({nextX, y(random)});
        }
        const std::set<Pixel> painted = Draw(points);
        std::set<Pixel> reach;
        for (std::size_t i = 0; i < points.size(); ++i) {
            const Pixel end{static_cast<int>(points[i].x()), static_cast<int>(points[i].y())};
            ASSERT_EQ(painted.count(end), 1u) << "round " << round << ", point " << i;
            if (i == 0) continue;
            const Pixel start{static_cast<int>(points[i - 1].x()), static_cast<int>(points[i - 1].y())};
            ASSERT_TRUE(Joined(painted, start, end)) << "round " << round << ", segment " << i;
            for (int px = std::min(start.first, end.first); px <= std::max(start.first, end.first); ++px) {
                for (int py = std::min(start.second, end.second);
                     py <= std::max(start.second, end.second); ++py) {
                    reach.insert({px, py});
                }
            }
        }
        for (const Pixel& p : painted) {
            ASSERT_EQ(reach.count(p), 1u) << "round " << round << ": stray pixel " << p.first
                                          << ", " << p.second;
        }
    }
}

TEST(LineRasterTest, SegmentsReachingOutsideAreClippedToTheImage) {
    // The image is the middle of a larger buffer: any write past its edges lands in the margin.
    constexpr int kMargin = 8, kWidth = 30, kHeight = 20;
    QImage buffer = Blank(kWidth + 2 * kMargin, kHeight + 2 * kMargin);
    QImage image(buffer.bits() + kMargin * buffer.bytesPerLine() + kMargin * 4, kWidth, kHeight,
                 buffer.bytesPerLine(), QImage::Format_ARGB32_Premultiplied);
    const double inf = std::numeric_limits<double>::infinity();
    const std::vector<QPointF> points = {{-1e12, 10}, {15, 10},  {15, -50},  {45, 25},
                                         {29.999, 19.999},        {30, 20},   {1e12, -1e12},
                                         {5, inf},   {5, 5},      {-3, -3},   {std::nan(""), 2}};
    Draw(image, points);
    const std::set<Pixel> painted = Painted(buffer);
    ASSERT_FALSE(painted.empty());
    for (const Pixel& p : painted) {
        EXPECT_TRUE(p.first >= kMargin && p.first < kMargin + kWidth && p.second >= kMargin &&
                    p.second < kMargin + kHeight)
            << "written outside the image at " << p.first - kMargin << ", " << p.second - kMargin;
    }
    const std::set<Pixel> inside = Painted(image);
    EXPECT_EQ(inside.count({0, 10}), 1u) << "the line from far left enters at the edge";
    EXPECT_EQ(inside.count({15, 0}), 1u) << "and leaves at the top";
    EXPECT_EQ(inside.count({29, 19}), 1u) << "the last pixel of the far corner";
    EXPECT_EQ(inside.count({0, 0}), 1u) << "the segment into the corner from outside";
}

}  // namespace
