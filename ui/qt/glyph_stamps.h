#pragma once
// Short runs of glyphs drawn as one image. Qt blends a glyph onto the window a pixel at a time;
// a list whose numbers change at every reading repaints a hundred cells a second, most of their
// cost in that blend. Here each glyph is drawn by Qt once, alone on a transparent image (a
// stamp) at each fraction of a pixel it is met at; a run's stamps are laid side by side into one
// image, which the painter blends in one vectorised call. A stamp's pixels are those Qt blends
// onto the window, so the run looks exactly as drawn glyph by glyph.
#include <QImage>
#include <QPointF>
#include <QRawFont>
#include <cstdint>
#include <unordered_map>
#include <vector>

class QPainter;

struct StampGlyph {
    const QRawFont* face = nullptr;
    quint32 index = 0;
    QPointF position;  // of the glyph's origin, as a glyph run places it
};

class GlyphStamps {
public:
    // Draws the glyphs in `colour` (opaque); false, with nothing drawn, where a painter's pixels
    // are not those of the stamps (a scaled or high-density painter, another blend), so that
    // the caller draws them itself.
    bool Draw(QPainter& painter, const StampGlyph* glyphs, qsizetype count, QRgb colour);
    // Stamps of a font no longer drawn in are forgotten.
    void Clear() {
        stamps_.clear();
        faces_.clear();
    }

private:
    struct Stamp {
        QImage image;
        int left = 0;  // the image's column of the glyph origin's pixel
        int top = 0;   // its row of the origin's pixel
    };
    struct Key {
        quint64 glyph;  // face, glyph and fractions
        QRgb colour;
        bool operator==(const Key&) const = default;
    };
    struct KeyHash {
        std::size_t operator()(const Key& key) const {
            return std::hash<quint64>()(key.glyph * 31 + key.colour);
        }
    };
    const Stamp& StampOf(const StampGlyph& glyph, int xFraction, int yFraction, QRgb colour);
    quint64 FaceNumber(const QRawFont& face);

    QList<QRawFont> faces_;
    // Node-based: a stamp stays where it is while others are added.
    std::unordered_map<Key, Stamp, KeyHash> stamps_;
    std::vector<std::uint32_t> run_;  // the run's pixels, reused from run to run
};
