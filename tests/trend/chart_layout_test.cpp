// The chart's layout: no two labels overlap for any range and size, texts stay inside the
// control and clear of the plot, the lines land in the plot's image, and the layout depends only
// on the scene and the sizes the painter measures.
#include "trend/chart_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <map>
#include <random>
#include <string>
#include <variant>
#include <vector>

namespace {

// Text as a painter would measure it: `ascii` pixels a byte below 0x80, `wide` a CJK or other
// character (counted at its lead byte), `height` a line.
class FakeMeasurer : public TextMeasurer {
public:
    FakeMeasurer(int ascii, int wide, int height) : ascii_(ascii), wide_(wide), height_(height) {}
    TextSize Measure(const std::string& text) const override {
        ++calls;
        int width = 0;
        for (unsigned char c : text) {
            if (c < 0x80)
                width += ascii_;
            else if (c >= 0xC0)
                width += wide_;
        }
        return {width, height_};
    }
    mutable int calls = 0;

private:
    int ascii_, wide_, height_;
};

// Answers from a table filled beforehand, as a painter that caches its sizes would.
class TableMeasurer : public TextMeasurer {
public:
    explicit TableMeasurer(const TextMeasurer& source) : source_(source) {}
    TextSize Measure(const std::string& text) const override {
        auto it = sizes_.find(text);
        if (it == sizes_.end()) it = sizes_.emplace(text, source_.Measure(text)).first;
        return it->second;
    }

private:
    const TextMeasurer& source_;
    mutable std::map<std::string, TextSize> sizes_;
};

std::vector<TextPrimitive> Texts(const ChartLayout& layout) {
    std::vector<TextPrimitive> texts;
    for (const ChartPrimitive& p : layout.primitives) {
        if (const auto* text = std::get_if<TextPrimitive>(&p)) texts.push_back(*text);
    }
    return texts;
}

ChartScene Scene(int width, int height, std::int64_t fromMs, std::int64_t toMs, double low,
                 double high, int channels = 3) {
    ChartScene scene{width, height, fromMs, toMs, {}};
    for (int c = 0; c < channels; ++c) {
        ChartLine line{c, 0xFF000000u | (0x203040u * static_cast<unsigned>(c + 1)), {}};
        for (int i = 0; i <= 50; ++i) {
            const double t = fromMs + (toMs - fromMs) * i / 50.0;
            line.points.push_back({t, low + (high - low) * ((i * 7 + c * 5) % 11) / 10.0});
        }
        scene.lines.push_back(line);
    }
    return scene;
}

class ChartLayoutTest : public testing::Test {
protected:
    // Windows' C runtime follows the system's zone (and knows no zone names): the layouts
    // there are taken in whatever zone that is.
#ifndef _WIN32
    void SetUp() override {
        setenv("TZ", "Europe/Berlin", 1);
        tzset();
    }
    void TearDown() override {
        unsetenv("TZ");
        tzset();
    }
#endif
};

constexpr std::int64_t kStart = 1'800'000'000'000;  // 2027-01-15, 09:00 in Berlin

TEST_F(ChartLayoutTest, LabelsNeverOverlapForAnyRangeAndSize) {
    std::mt19937 random(5);
    std::uniform_int_distribution<int> width(30, 1800), height(30, 1200), glyph(5, 14);
    std::uniform_int_distribution<std::int64_t> start(0, 400LL * 86'400'000),
        span(1, 3LL * 86'400'000);
    std::uniform_real_distribution<double> value(-3276.7, 3276.7);
    for (int round = 0; round < 400; ++round) {
        const int ascii = glyph(random);
        const FakeMeasurer measurer(ascii, 2 * ascii, 2 * ascii + 2);
        const std::int64_t from = kStart + start(random);
        const double a = value(random), b = round % 3 == 0 ? a : value(random);
        const ChartScene scene = Scene(width(random), height(random), from, from + span(random),
                                       std::min(a, b), std::max(a, b), round % 4);
        const ChartLayout layout = LayoutChart(scene, measurer);
        const std::vector<TextPrimitive> texts = Texts(layout);
        for (std::size_t i = 0; i < texts.size(); ++i) {
            const PixelBox& box = texts[i].box;
            ASSERT_EQ(box.width, measurer.Measure(texts[i].text).width);
            ASSERT_TRUE(box.x >= 0 && box.y >= 0) << "round " << round << ": " << texts[i].text;
            if (box.width <= scene.width && box.height <= scene.height) {
                ASSERT_LE(box.x + box.width, scene.width) << "round " << round;
                ASSERT_LE(box.y + box.height, scene.height) << "round " << round;
            }
            for (std::size_t j = 0; j < i; ++j) {
                ASSERT_FALSE(box.Overlaps(texts[j].box))
                    << "round " << round << ": \"" << texts[i].text << "\" over \"" << texts[j].text
                    << "\" in " << scene.width << " x " << scene.height;
            }
        }
        // At a usable size and a span the store keeps, every tick is labelled, and no label
        // enters the plot.
        if (scene.width >= 400 && scene.height >= 300 && scene.toMs - scene.fromMs <= 86'400'000) {
            std::string all;
            for (const TextPrimitive& t : texts) all += " " + t.text;
            ASSERT_EQ(texts.size(), 2 + layout.values.ticks.size() + layout.times.ticks.size())
                << "round " << round << ":" << all;
            for (const TextPrimitive& text : texts) ASSERT_FALSE(text.box.Overlaps(layout.plot));
        }
    }
}

TEST_F(ChartLayoutTest, TheLinesAreDrawnIntoThePlotWhereTheAxesPutTheirValues) {
    const FakeMeasurer measurer(7, 14, 16);
    ChartScene scene{700, 500, kStart, kStart + 600'000, {}};
    scene.lines.push_back(
        {4, 0xFF2060A0u, {{double(kStart), 20.0}, {double(kStart + 600'000), 30.0}}});
    const ChartLayout layout = LayoutChart(scene, measurer);
    EXPECT_EQ(layout.values.ticks.front(), layout.values.low);
    EXPECT_LE(layout.values.low, 20.0);
    EXPECT_GE(layout.values.high, 30.0);
    ASSERT_EQ(layout.lines.width, layout.plot.width);
    ASSERT_EQ(layout.lines.height, layout.plot.height);
    // The line's ends, found in the image where the axes say the values are.
    for (const RasterPoint& value : scene.lines[0].points) {
        const RasterPoint p = layout.PixelOf(value);
        const int x = static_cast<int>(p.x) - layout.plot.x,
                  y = static_cast<int>(p.y) - layout.plot.y;
        ASSERT_TRUE(x >= 0 && x < layout.plot.width && y >= 0 && y < layout.plot.height);
        EXPECT_EQ(layout.lines.pixels[static_cast<std::size_t>(y * layout.lines.width + x)],
                  0xFF2060A0u);
        const RasterPoint back = layout.ValueAt(p);
        EXPECT_NEAR(back.x, value.x, 1.0);
        EXPECT_NEAR(back.y, value.y, 1e-9);
    }
    // The grid is in the image on the value ticks' rows, the lowest at the bottom, the highest
    // at the top: rows whose pixels a quarter and three quarters across are alike and not
    // background (the line crosses those columns on different rows, and no time tick is there).
    const auto at = [&](int x, int y) {
        return layout.lines.pixels[static_cast<std::size_t>(y * layout.lines.width + x)];
    };
    std::vector<int> gridRows;
    for (int y = 0; y < layout.lines.height; ++y) {
        const std::uint32_t a = at(layout.lines.width / 4, y),
                            b = at(3 * layout.lines.width / 4, y);
        if (a == b && a != 0xFFFFFFFFu) gridRows.push_back(y);
    }
    ASSERT_EQ(gridRows.size(), layout.values.ticks.size());
    EXPECT_EQ(gridRows.front(), 0);
    EXPECT_EQ(gridRows.back(), layout.plot.height - 1);
    EXPECT_EQ(LineNear(scene, layout, layout.PixelOf({double(kStart + 300'000), 25.0})), 0);
    EXPECT_EQ(LineNear(scene, layout, layout.PixelOf({double(kStart + 300'000), 21.0})), -1);
}

TEST_F(ChartLayoutTest, TheSameSceneGivesTheSamePrimitivesWhicheverPainterMeasures) {
    // Two painters that measure alike, one asked afresh each time, one answering from a table it
    // filled while laying out another scene: the same chart, pixel for pixel.
    const FakeMeasurer direct(7, 13, 16);
    const TableMeasurer cached(direct);
    LayoutChart(Scene(900, 600, kStart - 86'400'000, kStart, -5, 40), cached);
    const ChartScene scene = Scene(760, 540, kStart, kStart + 3'600'000, 18.5, 24.1, 5);
    const ChartLayout a = LayoutChart(scene, direct), b = LayoutChart(scene, cached);
    EXPECT_EQ(a.primitives, b.primitives);
    EXPECT_EQ(a.lines, b.lines);
    EXPECT_EQ(a.plot, b.plot);

    // A painter whose font is a little wider moves the plot's edge, never a number on the chart.
    const FakeMeasurer wider(8, 15, 17);
    const ChartLayout c = LayoutChart(scene, wider);
    std::vector<std::string> textsA, textsC;
    for (const TextPrimitive& t : Texts(a)) textsA.push_back(t.text);
    for (const TextPrimitive& t : Texts(c)) textsC.push_back(t.text);
    EXPECT_EQ(textsA, textsC);
}

// Lines that wander about one value, crossing and covering each other, some with a point in
// many columns and some with one only every few columns, one with a gap: what a redraw of the
// newest columns could get wrong (a segment into them cut, or drawn past their edge over a
// line drawn after it).
constexpr std::int64_t kSpacingMs[] = {300, 700, 2500, 6000, 400, 15000};

std::vector<ChartLine> WanderingLines(std::int64_t from, std::int64_t until, std::mt19937& random) {
    std::vector<ChartLine> lines;
    std::normal_distribution<double> step(0.0, 0.4);
    for (int c = 0; c < 6; ++c) {
        ChartLine line{c, 0xFF000000u | (0x3A1F7Bu * static_cast<unsigned>(c + 1)), {}};
        double value = 20.0;
        for (std::int64_t t = from; t <= until; t += kSpacingMs[c]) {
            value = 20.0 + 0.7 * (value - 20.0) + step(random);
            line.points.push_back({double(t), value});
        }
        lines.push_back(line);
    }
    lines[2].points[lines[2].points.size() / 2].y = std::nan("");  // a reading it missed
    return lines;
}

TEST_F(ChartLayoutTest, AChartDrawnAgainInPartHasThePixelsOfOneDrawnWhole) {
    const FakeMeasurer measurer(7, 14, 16);
    std::mt19937 random(7);
    // A range of whole columns of a second, as the trend window gives it.
    const std::int64_t step = 1000;
    ChartScene scene{700, 500, kStart, kStart + 600'000,
                     WanderingLines(kStart - step / 2, kStart + 600'000, random)};
    const int columns = LayoutChart(scene, measurer).plot.width;  // as its labels leave it
    const std::int64_t to = kStart + step * (columns - 1);
    scene.toMs = to;
    ChartLayout shown = LayoutChart(scene, measurer);
    ASSERT_EQ(shown.plot.width, columns);
    int columnsNow = columns;
    int partial = 0, moved = 0;
    std::normal_distribution<double> change(0.0, 0.5);
    for (int round = 0; round < 400; ++round) {
        std::vector<ChartLine> before = scene.lines;
        // A reading every 600 ms: a line gets a point once its spacing has passed, and
        // otherwise now and then its last point moves (the newest column's extreme).
        const double now = double(kStart + 600'000 + 600 * (round + 1));
        // The last readings fail: the range moves on over lines that do not change.
        for (ChartLine& line : scene.lines) {
            if (round >= 390) break;
            const double spacing = double(kSpacingMs[line.channel]);
            if (line.points.back().x + spacing > now) {
                if ((round + line.channel) % 3 == 0) line.points.back().y += change(random);
                continue;
            }
            while (line.points.back().x + spacing <= now) {
                const RasterPoint last = line.points.back();
                const double value = 20.0 + 0.7 * (last.y - 20.0) + change(random);
                line.points.push_back({last.x + spacing, value});
            }
        }
        // Past the range's end it moves on by whole columns, and what falls out of its first
        // column's slice goes; a plot its labels made narrower or wider gets as many columns.
        if (now > double(scene.toMs) || shown.plot.width != columnsNow) {
            const std::int64_t late = static_cast<std::int64_t>(now) - scene.toMs;
            const std::int64_t by = std::max<std::int64_t>(0, (late + step - 1) / step);
            columnsNow = shown.plot.width;
            scene.toMs += by * step;
            scene.fromMs = scene.toMs - step * (columnsNow - 1);
            for (ChartLine& line : scene.lines) {
                const double first = double(scene.fromMs - step / 2);
                auto& points = line.points;
                const auto kept = std::lower_bound(
                    points.begin(), points.end(), first,
                    [](const RasterPoint& p, double x) { return p.x < x; });
                points.erase(points.begin(), kept);
            }
            ++moved;
        }
        if (round == 360) scene.lines[1].points.back().y = 80.0;
        if (round == 380) scene.lines[3].colour = 0xFF00FF00u;
        const PreviousChart previous{&shown, &before};
        ChartLayout next = LayoutChart(scene, measurer, std::move(shown.lines), previous);
        const ChartLayout whole = LayoutChart(scene, measurer);
        ASSERT_TRUE(next.lines == whole.lines) << "after round " << round;
        EXPECT_TRUE(next.primitives == whole.primitives);
        if (round == 360 || round == 380) {
            EXPECT_EQ(next.linesDrawn, whole.plot) << "a new axis or colour: drawn whole";
        }
        if (next.linesDrawn.x > next.plot.x) ++partial;
        EXPECT_EQ(next.linesDrawn.x + next.linesDrawn.width, next.plot.x + next.plot.width);
        shown = std::move(next);
    }
    EXPECT_GT(moved, 100) << "the range moved on";
    EXPECT_GT(partial, 80) << "readings in the newest column redraw only the last columns";
}

}  // namespace
