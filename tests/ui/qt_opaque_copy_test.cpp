// An opaque image copied into a painter's image must leave the pixels the painter's own drawing
// leaves, moved and cut alike; a painter it can't copy for exactly must be refused untouched.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <functional>

#include "ui/qt/opaque_copy.h"

namespace {

QImage Picture() {
    QImage image(23, 11, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) image.setPixel(x, y, qRgb(x * 11, y * 23, 200));
    }
    return image;
}

QImage Canvas(QImage::Format format) {
    QImage canvas(60, 40, format);
    canvas.fill(qRgb(240, 240, 240));
    return canvas;
}

TEST(OpaqueCopyTest, PixelsAreThoseThePainterDrawsMovedAndCutAlike) {
    const QImage picture = Picture();
    for (const QImage::Format format :
         {QImage::Format_RGB32, QImage::Format_ARGB32_Premultiplied}) {
        for (const QPoint at : {QPoint(5, 7), QPoint(-6, 3), QPoint(50, 33), QPoint(0, -4)}) {
            QImage drawn = Canvas(format), copied = Canvas(format);
            {
                QPainter painter(&drawn);
                painter.translate(2, 1);
                painter.drawImage(at, picture);
            }
            QPainter painter(&copied);
            painter.translate(2, 1);
            ASSERT_TRUE(CopyOpaque(painter, picture, at));
            painter.end();
            EXPECT_TRUE(copied == drawn) << "at " << at.x() << ", " << at.y();
        }
    }
}

TEST(OpaqueCopyTest, APainterItCannotCopyForExactlyIsRefusedUntouched) {
    const QImage picture = Picture();
    QImage canvas = Canvas(QImage::Format_RGB32);
    const QImage blank = canvas;
    const auto refused = [&](const std::function<void(QPainter&)>& setUp,
                             const QImage& image) {
        QPainter painter(&canvas);
        setUp(painter);
        return !CopyOpaque(painter, image, QPoint(3, 3));
    };
    const auto none = [](QPainter&) {};
    EXPECT_TRUE(refused([](QPainter& p) { p.scale(2, 2); }, picture));
    EXPECT_TRUE(refused([](QPainter& p) { p.translate(0.5, 0); }, picture));
    EXPECT_TRUE(refused([](QPainter& p) { p.setOpacity(0.5); }, picture));
    EXPECT_TRUE(refused([](QPainter& p) { p.setClipRect(0, 0, 10, 10); }, picture));
    EXPECT_TRUE(refused([](QPainter& p) { p.setCompositionMode(QPainter::CompositionMode_Xor); },
                        picture));
    EXPECT_TRUE(refused(none, picture.convertToFormat(QImage::Format_ARGB32_Premultiplied)))
        << "an image that may be translucent";
    QImage grey(60, 40, QImage::Format_Grayscale8);
    grey.fill(0);
    {
        QPainter painter(&grey);
        EXPECT_FALSE(CopyOpaque(painter, picture, QPoint(3, 3))) << "another pixel format";
    }
    EXPECT_TRUE(canvas == blank) << "nothing copied when refused";
}

}  // namespace
