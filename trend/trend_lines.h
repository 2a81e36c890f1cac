#pragma once
// All the trend's lines in one chart item: each channel's decimated points, drawn as thin
// polylines into the plot area from the axes' ranges (see line_raster.h). One item instead of a
// chart series per channel, because a series builds and strokes a path of every line at each
// reading.
#include <array>
#include <functional>

#include <QColor>
#include <QGraphicsItem>
#include <QImage>
#include <QList>
#include <QPoint>
#include <QPointF>
#include <QRectF>

#include "record/reading.h"

class TrendLines : public QGraphicsItem {
public:
    explicit TrendLines(QGraphicsItem* chart);

    // A channel's points (x: ms since the epoch, y: °C), in time order, shown in `colour`.
    void SetLine(int channel, QList<QPointF> points, const QColor& colour);
    void HideLine(int channel);
    bool Shown(int channel) const { return shown_[Index(channel)]; }
    const QList<QPointF>& Line(int channel) const { return lines_[Index(channel)]; }

    // Where the lines go (the chart's plot area, in the chart's coordinates) and the values at
    // its edges.
    void SetPlotArea(const QRectF& area);
    void SetRanges(double fromX, double toX, double lowY, double highY);
    // A value's place in the chart's coordinates.
    QPointF Position(const QPointF& value) const;

    // Called while the pointer moves near a shown line: the channel, the pointer as a value and
    // on the screen; a channel of -1 when it leaves the lines.
    std::function<void(int channel, const QPointF& value, const QPoint& screen)> onHover;
    // The shown line nearest to a place in the chart's coordinates, within a few pixels; -1
    // when none.
    int LineNear(const QPointF& position) const;

    QRectF boundingRect() const override { return area_; }
    void paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) override;

protected:
    void hoverEnterEvent(QGraphicsSceneHoverEvent* event) override { hoverMoveEvent(event); }
    void hoverMoveEvent(QGraphicsSceneHoverEvent* event) override;
    void hoverLeaveEvent(QGraphicsSceneHoverEvent* event) override;

private:
    static std::size_t Index(int channel) { return static_cast<std::size_t>(channel); }
    QPointF Value(const QPointF& position) const;

    std::array<QList<QPointF>, kReadingChannels> lines_;
    std::array<QColor, kReadingChannels> colours_;
    std::array<bool, kReadingChannels> shown_{};
    QRectF area_;
    double fromX_ = 0, toX_ = 1, lowY_ = 0, highY_ = 1;
    QList<QPointF> pixels_;  // kept between paints
    QImage canvas_;
    int hovered_ = -1;
};
