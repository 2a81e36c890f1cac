// Glyph runs drawn from stamps must leave the very pixels Qt's own glyph drawing leaves, at any
// fraction of a pixel, on any background, cut by a clip; and a painter whose pixels are not the
// stamps' must be refused, so that its caller draws the glyphs itself.
#include <gtest/gtest.h>

#include <QApplication>
#include <QGlyphRun>
#include <QImage>
#include <QPainter>
#include <QTextLayout>

#include "ui/qt/dialog_font.h"
#include "ui/qt/glyph_stamps.h"

namespace {

struct Shaped {
    QRawFont face;
    QList<quint32> indexes;
    QList<QPointF> positions;  // from the text's origin
};

Shaped Shape(const QString& text, const QFont& font) {
    QTextLayout layout(text, font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    const QList<QGlyphRun> runs = layout.glyphRuns();
    if (runs.size() != 1) return {};
    return {runs[0].rawFont(), runs[0].glyphIndexes(), runs[0].positions()};
}

QImage Canvas(QRgb background) {
    QImage image(120, 40, QImage::Format_RGB32);
    image.fill(background);
    return image;
}

// The text at `origin` by Qt's glyph run, and by stamps; the stamps' verdict alongside.
struct Both {
    QImage qt;
    QImage stamped;
    bool drawn = false;
};

Both DrawBoth(GlyphStamps& stamps, const Shaped& shaped, QPointF origin, QRgb background,
              QRgb colour, const QRegion& clip = {}) {
    Both both{Canvas(background), Canvas(background)};
    {
        QPainter painter(&both.qt);
        if (!clip.isEmpty()) painter.setClipRegion(clip);
        painter.setPen(QColor::fromRgba(colour));
        QGlyphRun run;
        run.setRawFont(shaped.face);
        run.setGlyphIndexes(shaped.indexes);
        QList<QPointF> placed;
        for (const QPointF& p : shaped.positions) placed.append(p + origin);
        run.setPositions(placed);
        painter.drawGlyphRun(QPointF(0, 0), run);
    }
    QPainter painter(&both.stamped);
    if (!clip.isEmpty()) painter.setClipRegion(clip);
    std::vector<StampGlyph> glyphs;
    for (qsizetype i = 0; i < shaped.indexes.size(); ++i) {
        glyphs.push_back({&shaped.face, shaped.indexes[i], shaped.positions[i] + origin});
    }
    both.drawn = stamps.Draw(painter, glyphs.data(), static_cast<qsizetype>(glyphs.size()), colour);
    return both;
}

class GlyphStampsTest : public testing::Test {
protected:
    GlyphStamps stamps;
    Shaped number = Shape(QStringLiteral("-127.05"), DialogFont("宋体", 9));
};

TEST_F(GlyphStampsTest, PixelsAreThoseOfQtsGlyphRunAtEveryFractionOfAPixel) {
    ASSERT_FALSE(number.indexes.isEmpty());
    for (double fraction : {0.0, 0.25, 0.5, 0.7, 0.015625, 0.99}) {
        for (const QPointF origin : {QPointF(10 + fraction, 8), QPointF(31, 5 + fraction),
                                     QPointF(4.5 + fraction, 9.3 + fraction)}) {
            const Both black = DrawBoth(stamps, number, origin, 0xFFFFFFFF, 0xFF000000);
            ASSERT_TRUE(black.drawn);
            EXPECT_TRUE(black.stamped == black.qt) << "black on white at " << origin.x() << ", "
                                                   << origin.y();
            // A selected row's text: white on the highlight.
            const Both white = DrawBoth(stamps, number, origin, 0xFF3072C0, 0xFFFFFFFF);
            EXPECT_TRUE(white.stamped == white.qt) << "white on blue at " << origin.x() << ", "
                                                   << origin.y();
        }
    }
    // Not both blank.
    const Both once = DrawBoth(stamps, number, QPointF(10, 8), 0xFFFFFFFF, 0xFF000000);
    EXPECT_FALSE(once.stamped == Canvas(0xFFFFFFFF)) << "the text has ink";
}

// Stamps are forgotten when there are many (a long run of changing positions): never in the
// middle of a run, whose stamps it still draws from.
TEST_F(GlyphStampsTest, RunsStayWholeAcrossTheForgettingOfStamps) {
    ASSERT_FALSE(number.indexes.isEmpty());
    const QPointF origin(10, 8);
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 64; ++x) {  // every 64th of a pixel: a new stamp for each glyph
            const QPointF at = origin + QPointF(x / 64.0, y / 64.0);
            const Both both = DrawBoth(stamps, number, at, 0xFFFFFFFF, 0xFF000000);
            ASSERT_TRUE(both.drawn);
            ASSERT_TRUE(both.stamped == both.qt) << "at " << at.x() << ", " << at.y();
        }
    }
}

TEST_F(GlyphStampsTest, TextPartlyOutsideTheClipOrTheImageIsCutAlike) {
    const QRegion clip = QRegion(0, 0, 30, 40) + QRegion(40, 0, 10, 12);
    const Both clipped = DrawBoth(stamps, number, QPointF(12.5, 6), 0xFFFFFFFF, 0xFF000000, clip);
    ASSERT_TRUE(clipped.drawn);
    EXPECT_TRUE(clipped.stamped == clipped.qt);
    const Both offLeft = DrawBoth(stamps, number, QPointF(-13.25, 30), 0xFFFFFFFF, 0xFF000000);
    EXPECT_TRUE(offLeft.stamped == offLeft.qt);
}

TEST_F(GlyphStampsTest, APainterWhosePixelsAreNotTheStampsIsRefused) {
    std::vector<StampGlyph> glyphs;
    for (qsizetype i = 0; i < number.indexes.size(); ++i) {
        glyphs.push_back({&number.face, number.indexes[i], number.positions[i]});
    }
    const auto count = static_cast<qsizetype>(glyphs.size());
    QImage image = Canvas(0xFFFFFFFF);
    const QImage blank = image;
    auto refused = [&](const std::function<void(QPainter&)>& setUp, QRgb colour = 0xFF000000) {
        QPainter painter(&image);
        setUp(painter);
        return !stamps.Draw(painter, glyphs.data(), count, colour);
    };
    EXPECT_TRUE(refused([](QPainter& p) { p.scale(2, 2); }));
    EXPECT_TRUE(refused([](QPainter& p) { p.translate(0.5, 0); }));
    EXPECT_TRUE(refused([](QPainter& p) { p.setOpacity(0.5); }));
    EXPECT_TRUE(refused([](QPainter& p) { p.setCompositionMode(QPainter::CompositionMode_Xor); }));
    EXPECT_TRUE(refused([](QPainter&) {}, 0x80000000)) << "a translucent colour";
    QImage dense(240, 80, QImage::Format_RGB32);
    dense.setDevicePixelRatio(2);
    {
        QPainter painter(&dense);
        EXPECT_FALSE(stamps.Draw(painter, glyphs.data(), count, 0xFF000000)) << "a dense device";
    }
    EXPECT_TRUE(image == blank) << "nothing drawn when refused";
    // A whole-pixel translation is the window's own offset: taken.
    QPainter painter(&image);
    painter.translate(3, 7);
    EXPECT_TRUE(stamps.Draw(painter, glyphs.data(), count, 0xFF000000));
}

}  // namespace
