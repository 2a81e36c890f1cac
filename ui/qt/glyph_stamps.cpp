#include "ui/qt/glyph_stamps.h"

#include <QGlyphRun>
#include <QPaintDevice>
#include <QPainter>
#include <QVarLengthArray>
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

namespace {

constexpr int kPad = 2;  // around a glyph's box: antialiasing may reach a pixel past it
constexpr qsizetype kMostStamps = 4096;

// A coordinate as the painter takes it, in 64ths of a pixel, and its whole pixel (floor).
struct Fixed {
    int whole;
    int fraction;
};
Fixed ToFixed(qreal coordinate) {
    const int value = qRound(coordinate * 64);
    return {value >> 6, value & 63};
}

bool WholePixels(qreal value) { return value == std::floor(value); }

// The smallest rectangle holding every pixel that is not transparent; a pixel for none.
QRect InkOf(const QImage& image) {
    int left = image.width(), top = image.height(), right = -1, bottom = -1;
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (row[x] == 0) continue;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    }
    if (right < 0) return QRect(0, 0, 1, 1);
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

}  // namespace

quint64 GlyphStamps::FaceNumber(const QRawFont& face) {
    const qsizetype at = faces_.indexOf(face);
    if (at >= 0) return static_cast<quint64>(at);
    faces_.append(face);
    return static_cast<quint64>(faces_.size() - 1);
}

const GlyphStamps::Stamp& GlyphStamps::StampOf(const StampGlyph& glyph, int xFraction,
                                              int yFraction, QRgb colour) {
    const quint64 id = FaceNumber(*glyph.face) << 44 | static_cast<quint64>(glyph.index) << 12 |
                       static_cast<quint64>(xFraction) << 6 | static_cast<quint64>(yFraction);
    const Key key{id, colour};
    auto it = stamps_.find(key);
    if (it != stamps_.end()) return it->second;

    // The glyph's box, and the face's whole line: a hinted glyph may reach past its outline's
    // box by a pixel.
    const QRectF box = glyph.face->boundingRect(glyph.index);
    const qreal above = std::max(-box.top(), glyph.face->ascent());
    const qreal below = std::max(box.bottom(), glyph.face->descent());
    Stamp stamp;
    stamp.left = kPad + std::max(0, static_cast<int>(std::ceil(-box.left())));
    stamp.top = kPad + static_cast<int>(std::ceil(std::max<qreal>(above, 0)));
    const int width = stamp.left + std::max(1, static_cast<int>(std::ceil(box.right()))) + kPad + 1;
    const int height = stamp.top + std::max(1, static_cast<int>(std::ceil(below))) + kPad + 1;
    stamp.image = QImage(width, height, QImage::Format_ARGB32_Premultiplied);
    stamp.image.fill(Qt::transparent);
    QGlyphRun run;
    run.setRawFont(*glyph.face);
    run.setGlyphIndexes({glyph.index});
    // The same fraction of a pixel as on the window: the glyph's pixels are the same too.
    run.setPositions({QPointF(stamp.left + xFraction / 64.0, stamp.top + yFraction / 64.0)});
    QPainter painter(&stamp.image);
    painter.setPen(QColor::fromRgba(colour));
    painter.drawGlyphRun(QPointF(0, 0), run);
    painter.end();
    // Cut to the glyph's ink: a run's images are then small, and neighbours rarely meet.
    const QRect ink = InkOf(stamp.image);
    stamp.image = stamp.image.copy(ink);
    stamp.left -= ink.left();
    stamp.top -= ink.top();
    return stamps_.emplace(key, std::move(stamp)).first->second;
}

bool GlyphStamps::Draw(QPainter& painter, const StampGlyph* glyphs, qsizetype count,
                       QRgb colour) {
    const QTransform& device = painter.deviceTransform();
    if (qAlpha(colour) != 255 || device.type() > QTransform::TxTranslate ||
        !WholePixels(device.dx()) || !WholePixels(device.dy()) || painter.device() == nullptr ||
        painter.device()->devicePixelRatio() != 1 ||
        painter.compositionMode() != QPainter::CompositionMode_SourceOver ||
        painter.opacity() != 1) {
        return false;
    }
    if (count == 0) return true;
    // Forgotten between runs, never within one: the run holds its stamps by address.
    if (static_cast<qsizetype>(stamps_.size()) + count > kMostStamps) Clear();
    struct Placed {
        const Stamp* stamp;
        int x, y;  // its top left on the painter
    };
    QVarLengthArray<Placed, 16> placed;
    int left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN;
    for (qsizetype i = 0; i < count; ++i) {
        const Fixed x = ToFixed(glyphs[i].position.x()), y = ToFixed(glyphs[i].position.y());
        const Stamp& stamp = StampOf(glyphs[i], x.fraction, y.fraction, colour);
        const Placed p{&stamp, x.whole - stamp.left, y.whole - stamp.top};
        left = std::min(left, p.x);
        top = std::min(top, p.y);
        right = std::max(right, p.x + stamp.image.width());
        bottom = std::max(bottom, p.y + stamp.image.height());
        placed.append(p);
    }
    const int width = right - left, height = bottom - top;
    run_.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
    // Stamps go left to right; where one meets the ink before it, the larger coverage of the
    // one colour is what either glyph leaves: per byte, the larger value. Elsewhere a copy.
    int written = left;  // the right edge of what the stamps so far covered
    for (const Placed& p : placed) {
        const QImage& image = p.stamp->image;
        const int stampWidth = image.width(), stampHeight = image.height();
        const int overlap = std::clamp(written - p.x, 0, stampWidth);
        const auto* from = reinterpret_cast<const std::uint32_t*>(image.constBits());
        const qsizetype fromStride = image.bytesPerLine() / 4;
        std::uint32_t* to = run_.data() + static_cast<std::size_t>(p.y - top) * width + (p.x - left);
        for (int y = 0; y < stampHeight; ++y, from += fromStride, to += width) {
            const auto* fromBytes = reinterpret_cast<const uchar*>(from);
            auto* toBytes = reinterpret_cast<uchar*>(to);
            for (int b = 0; b < overlap * 4; ++b) toBytes[b] = std::max(toBytes[b], fromBytes[b]);
            std::memcpy(to + overlap, from + overlap, std::size_t(stampWidth - overlap) * 4);
        }
        written = std::max(written, p.x + stampWidth);
    }
    // A picture of the buffer, not a copy of it.
    const QImage run(reinterpret_cast<const uchar*>(run_.data()), width, height, width * 4,
                     QImage::Format_ARGB32_Premultiplied);
    painter.drawImage(QPoint(left, top), run);
    return true;
}
