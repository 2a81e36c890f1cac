#include "trend/qt/trend_chart.h"

#include <QMouseEvent>
#include <QPainter>

#include "trend/qt/chart_painter.h"

TrendChart::TrendChart(QWidget* parent)
    : QWidget(parent),
      measurer_(std::make_unique<QtTextMeasurer>(font())),
      painter_(std::make_unique<QtChartPainter>(font())) {
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);  // the layout fills every pixel
    Relayout();
}

TrendChart::~TrendChart() = default;

void TrendChart::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange) {
        measurer_ = std::make_unique<QtTextMeasurer>(font());
        painter_ = std::make_unique<QtChartPainter>(font());
        Relayout();
        update();
    }
    QWidget::changeEvent(event);
}

void TrendChart::SetScene(std::int64_t fromMs, std::int64_t toMs, std::vector<ChartLine> lines) {
    scene_.fromMs = fromMs;
    scene_.toMs = toMs;
    scene_.lines = std::move(lines);
    Relayout();
    update();
}

const ChartLine* TrendChart::LineOf(int channel) const {
    for (const ChartLine& line : scene_.lines) {
        if (line.channel == channel) return &line;
    }
    return nullptr;
}

QPoint TrendChart::Position(const RasterPoint& value) const {
    const RasterPoint p = layout_.PixelOf(value);
    return {static_cast<int>(p.x), static_cast<int>(p.y)};
}

void TrendChart::Relayout() {
    const int columns = layout_.plot.width;
    scene_.width = width();
    scene_.height = height();
    layout_ = LayoutChart(scene_, *measurer_, std::move(layout_.lines));
    PlaceMarker();
    if (layout_.plot.width != columns && onPlotWidthChanged) onPlotWidthChanged(layout_.plot.width);
}

void TrendChart::PlaceMarker() {
    marker_.clear();
    const ChartLine* line = hovered_ >= 0 ? LineOf(hovered_) : nullptr;
    const RasterPoint* point = line != nullptr ? NearestInTime(*line, hoverMs_) : nullptr;
    if (point != nullptr) marker_ = HoverMarker(layout_, *point, line->colour);
}

void TrendChart::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter_->Paint(painter, layout_, layout_.primitives);
    painter_->Paint(painter, layout_, marker_);
}

void TrendChart::resizeEvent(QResizeEvent*) {
    Relayout();
}

void TrendChart::mouseMoveEvent(QMouseEvent* event) {
    const QPointF position = event->position();
    const RasterPoint pixel{position.x(), position.y()};
    const int index = LineNear(scene_, layout_, pixel);
    if (index < 0) {
        EndHover();
        return;
    }
    const RasterPoint value = layout_.ValueAt(pixel);
    hovered_ = scene_.lines[static_cast<std::size_t>(index)].channel;
    hoverMs_ = value.x;
    PlaceMarker();
    update();
    if (onHover) onHover(hovered_, value, event->globalPosition().toPoint());
}

void TrendChart::leaveEvent(QEvent*) {
    EndHover();
}

void TrendChart::EndHover() {
    if (hovered_ < 0) return;
    hovered_ = -1;
    marker_.clear();
    update();
    if (onHover) onHover(-1, {}, {});
}
