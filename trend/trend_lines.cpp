#include "trend/trend_lines.h"

#include <algorithm>
#include <cmath>

#include <QGraphicsSceneHoverEvent>
#include <QPainter>
#include <QPen>

#include "trend/line_raster.h"

namespace {

constexpr double kHoverPixels = 4.0;
constexpr int kStripRows = 64;

double SegmentDistance(const QPointF& p, const QPointF& a, const QPointF& b) {
    const QPointF ab = b - a;
    const double length2 = QPointF::dotProduct(ab, ab);
    const double t =
        length2 > 0 ? std::clamp(QPointF::dotProduct(p - a, ab) / length2, 0.0, 1.0) : 0.0;
    const QPointF nearest = a + t * ab;
    return std::hypot(p.x() - nearest.x(), p.y() - nearest.y());
}

}  // namespace

TrendLines::TrendLines(QGraphicsItem* chart) : QGraphicsItem(chart) {
    setAcceptHoverEvents(true);
    setZValue(10);  // above the plot area's background and grid
}

void TrendLines::SetLine(int channel, QList<QPointF> points, const QColor& colour) {
    lines_[Index(channel)] = std::move(points);
    colours_[Index(channel)] = colour;
    shown_[Index(channel)] = true;
    update();
}

void TrendLines::HideLine(int channel) {
    if (!shown_[Index(channel)]) return;
    shown_[Index(channel)] = false;
    lines_[Index(channel)].clear();
    update();
}

void TrendLines::SetPlotArea(const QRectF& area) {
    if (area == area_) return;
    prepareGeometryChange();
    area_ = area;
}

void TrendLines::SetRanges(double fromX, double toX, double lowY, double highY) {
    fromX_ = fromX;
    toX_ = toX > fromX ? toX : fromX + 1;
    lowY_ = lowY;
    highY_ = highY > lowY ? highY : lowY + 1;
    update();
}

QPointF TrendLines::Position(const QPointF& value) const {
    return {area_.left() + (value.x() - fromX_) * area_.width() / (toX_ - fromX_),
            area_.bottom() - (value.y() - lowY_) * area_.height() / (highY_ - lowY_)};
}

QPointF TrendLines::Value(const QPointF& position) const {
    return {fromX_ + (position.x() - area_.left()) * (toX_ - fromX_) / area_.width(),
            lowY_ + (area_.bottom() - position.y()) * (highY_ - lowY_) / area_.height()};
}

void TrendLines::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) {
    if (area_.isEmpty()) return;
    // The lines go into an image of the plot area at the device's resolution, then onto the
    // chart in one piece.
    const qreal ratio = painter->device() != nullptr ? painter->device()->devicePixelRatioF() : 1;
    const QSize size = (area_.size() * ratio).toSize().expandedTo(QSize(1, 1));
    if (canvas_.size() != size) canvas_ = QImage(size, QImage::Format_ARGB32_Premultiplied);
    canvas_.fill(Qt::transparent);
    for (int channel = 0; channel < kReadingChannels; ++channel) {
        const QList<QPointF>& line = lines_[Index(channel)];
        if (!shown_[Index(channel)] || line.isEmpty()) continue;
        pixels_.resize(line.size());
        // Where hovering finds the line, shifted into the image.
        for (qsizetype i = 0; i < line.size(); ++i) {
            pixels_[i] = (Position(line[i]) - area_.topLeft()) * ratio;
        }
        DrawPolyline(canvas_, pixels_.constData(), pixels_.size(), colours_[Index(channel)].rgb());
    }
    canvas_.setDevicePixelRatio(ratio);
    // In strips: Qt hands a blend of a hundred rows or more to its thread pool, which costs
    // more in wake-ups than the few hundred microseconds it saves.
    for (int top = 0; top < canvas_.height(); top += kStripRows) {
        const QRect strip(0, top, canvas_.width(), std::min(kStripRows, canvas_.height() - top));
        painter->drawImage(area_.topLeft() + QPointF(0, top / ratio), canvas_, strip);
    }
}

int TrendLines::LineNear(const QPointF& position) const {
    int best = -1;
    double bestDistance = kHoverPixels;
    const double lowX = Value(position - QPointF(kHoverPixels, 0)).x();
    const double highX = Value(position + QPointF(kHoverPixels, 0)).x();
    for (int channel = 0; channel < kReadingChannels; ++channel) {
        const QList<QPointF>& line = lines_[Index(channel)];
        if (!shown_[Index(channel)] || line.isEmpty()) continue;
        // The segments that reach within a few pixels of the pointer, horizontally.
        auto it = std::lower_bound(line.begin(), line.end(), lowX,
                                   [](const QPointF& p, double x) { return p.x() < x; });
        if (it != line.begin()) --it;
        for (; it != line.end(); ++it) {
            const auto next = it + 1;
            const QPointF a = Position(*it);
            const double d =
                next == line.end() ? std::hypot(position.x() - a.x(), position.y() - a.y())
                                   : SegmentDistance(position, a, Position(*next));
            if (d <= bestDistance) {
                bestDistance = d;
                best = channel;
            }
            if (it->x() > highX) break;
        }
    }
    return best;
}

void TrendLines::hoverMoveEvent(QGraphicsSceneHoverEvent* event) {
    const int channel = LineNear(event->pos());
    if (channel < 0 && hovered_ < 0) return;
    hovered_ = channel;
    if (onHover) onHover(channel, Value(event->pos()), event->screenPos());
}

void TrendLines::hoverLeaveEvent(QGraphicsSceneHoverEvent*) {
    if (hovered_ < 0) return;
    hovered_ = -1;
    if (onHover) onHover(-1, QPointF(), QPoint());
}
