#pragma once
// The trend chart's primitives drawn with QPainter, and its texts measured with the font they
// are drawn in.
#include <vector>

#include <QFontMetrics>

#include "trend/chart_layout.h"

class QPainter;

class QtTextMeasurer : public TextMeasurer {
public:
    explicit QtTextMeasurer(const QFont& font) : metrics_(font) {}
    TextSize Measure(const std::string& text) const override;

private:
    QFontMetrics metrics_;
};

// Draws `primitives`; an ImagePrimitive draws the layout's line image.
void PaintChart(QPainter& painter, const ChartLayout& layout,
                const std::vector<ChartPrimitive>& primitives);
