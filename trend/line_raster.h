#pragma once
// Thin opaque lines written straight into a 32-bit image, one pixel per step along the longer
// axis, clipped to the image. Qt's cosmetic stroker hands every pixel of a steep line to the
// blender as a span of its own; noisy trend lines are mostly steep, so that was most of the
// trend's painting.
#include <QImage>
#include <QPointF>
#include <QRgb>

// A polyline through `count` points in the image's pixel coordinates (pixel (x, y) covers
// [x, x + 1) x [y, y + 1)). The image is Format_ARGB32_Premultiplied or Format_RGB32.
// Points that are not finite break the line.
void DrawPolyline(QImage& image, const QPointF* points, qsizetype count, QRgb colour);
