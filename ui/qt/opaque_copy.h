#pragma once
// An opaque image copied straight into the image a raster painter paints on, within the
// painter's clip. The painter's own drawing of an image runs span by span under a clip of many
// rectangles (a window's region of changed cells and columns), which costs what a blend costs;
// a copy of opaque pixels leaves the same pixels.
#include <QImage>
#include <QPoint>

class QPainter;

// Copies `image` (Format_RGB32) with its top left at `at` in the painter's coordinates. False,
// with nothing copied, where the painter is not a plain raster painter on an image of 32-bit
// pixels, has a clip of its own, or is not moved by whole pixels only (then the caller draws).
bool CopyOpaque(QPainter& painter, const QImage& image, QPoint at);
