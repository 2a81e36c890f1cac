#pragma once
// The trend's chart as a Qt control: the renderer's layout of the lines, painted with QPainter,
// laid out again when the lines or the size change, and the line under the pointer reported.
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "trend/chart_layout.h"

class QtChartPainter;
class QtTextMeasurer;

class TrendChart : public QWidget {
public:
    explicit TrendChart(QWidget* parent);
    ~TrendChart() override;

    // The time range and the shown lines (one per channel at most).
    void SetScene(std::int64_t fromMs, std::int64_t toMs, std::vector<ChartLine> lines);
    const ChartScene& Scene() const { return scene_; }
    const ChartLayout& Layout() const { return layout_; }
    // The channel's line, null when it is not shown.
    const ChartLine* LineOf(int channel) const;
    // Where a point (ms, °C) is drawn, in the control's coordinates.
    QPoint Position(const RasterPoint& value) const;

    // Called while the pointer moves near a line: the channel, the pointer as a value and on the
    // screen; a channel of -1 when it leaves the lines.
    std::function<void(int channel, const RasterPoint& value, const QPoint& screen)> onHover;
    // The plot area's width changed (the lines are decimated to it).
    std::function<void(int columns)> onPlotWidthChanged;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void Relayout();
    void PlaceMarker();
    void EndHover();

    std::unique_ptr<QtTextMeasurer> measurer_;
    std::unique_ptr<QtChartPainter> painter_;
    ChartScene scene_;
    ChartLayout layout_;
    std::vector<ChartPrimitive> marker_;
    int hovered_ = -1;  // channel
    double hoverMs_ = 0;
};
