#include "trend/trend_lines.h"

#include <algorithm>
#include <cmath>

#include <QGraphicsSceneHoverEvent>
#include <QPainter>
#include <QPen>

namespace {

constexpr double kHoverPixels = 4.0;

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
    painter->save();
    painter->setClipRect(area_);
    painter->setRenderHint(QPainter::Antialiasing, false);  // 1-px lines: the raster fast path
    for (int channel = 0; channel < kReadingChannels; ++channel) {
        const QList<QPointF>& line = lines_[Index(channel)];
        if (!shown_[Index(channel)] || line.isEmpty()) continue;
        pixels_.resize(line.size());
        for (qsizetype i = 0; i < line.size(); ++i) pixels_[i] = Position(line[i]);
        painter->setPen(QPen(colours_[Index(channel)], 0));
        if (pixels_.size() == 1) {
            painter->drawPoint(pixels_[0]);
        } else {
            painter->drawPolyline(pixels_.constData(), static_cast<int>(pixels_.size()));
        }
    }
    painter->restore();
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
