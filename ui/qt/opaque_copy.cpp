#include "ui/qt/opaque_copy.h"

#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QRegion>
#include <algorithm>
#include <cmath>
#include <cstring>

bool CopyOpaque(QPainter& painter, const QImage& image, QPoint at) {
    if (image.format() != QImage::Format_RGB32) return false;
    QPaintEngine* engine = painter.paintEngine();
    if (engine == nullptr || engine->type() != QPaintEngine::Raster || painter.hasClipping()) {
        return false;
    }
    QPaintDevice* device = engine->paintDevice();
    if (device == nullptr || device->devType() != QInternal::Image) return false;
    const auto* target = static_cast<const QImage*>(device);
    if (target->format() != QImage::Format_RGB32 &&
        target->format() != QImage::Format_ARGB32_Premultiplied) {
        return false;
    }
    const QTransform& transform = painter.deviceTransform();
    if (transform.type() > QTransform::TxTranslate || transform.dx() != std::floor(transform.dx()) ||
        transform.dy() != std::floor(transform.dy()) || painter.opacity() != 1 ||
        (painter.compositionMode() != QPainter::CompositionMode_SourceOver &&
         painter.compositionMode() != QPainter::CompositionMode_Source)) {
        return false;
    }
    const QRect placed(at + QPoint(qRound(transform.dx()), qRound(transform.dy())), image.size());
    // The memory the engine paints in: the image was made its own when painting began.
    auto* pixels = const_cast<uchar*>(target->constBits());
    const qsizetype stride = target->bytesPerLine();
    const auto copy = [&](const QRect& area) {
        const QRect part = area & placed;
        if (part.isEmpty()) return;
        for (int y = part.top(); y <= part.bottom(); ++y) {
            std::memcpy(pixels + y * stride + part.left() * 4,
                        image.constScanLine(y - placed.top()) + (part.left() - placed.left()) * 4,
                        static_cast<std::size_t>(part.width()) * 4);
        }
    };
    const QRegion clip = engine->systemClip();
    if (clip.isEmpty()) {
        copy(target->rect());
        return true;
    }
    // A region's rectangles come in bands from the top, each band's from the left: those that
    // may meet the image start at the first band reaching down to it.
    const QRect* first = std::partition_point(clip.begin(), clip.end(), [&](const QRect& area) {
        return area.bottom() < placed.top();
    });
    for (const QRect* area = first; area != clip.end() && area->top() <= placed.bottom(); ++area) {
        copy(*area & target->rect());
    }
    return true;
}

