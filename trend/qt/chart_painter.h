#pragma once
// The trend chart's primitives drawn with QPainter, and its texts measured with the font they
// are drawn in. Both keep what they worked out for a text: the labels are mostly the same from
// one reading to the next.
#include <QFont>
#include <QFontMetrics>
#include <QHash>
#include <QStaticText>
#include <string>
#include <unordered_map>
#include <vector>

#include "trend/chart_layout.h"

class QPainter;

class QtTextMeasurer : public TextMeasurer {
public:
    explicit QtTextMeasurer(const QFont& font) : metrics_(font) {}
    TextSize Measure(const std::string& text) const override;

private:
    QFontMetrics metrics_;
    mutable std::unordered_map<std::string, TextSize> sizes_;
};

class QtChartPainter {
public:
    explicit QtChartPainter(const QFont& font) : font_(font) {}

    // Draws `primitives` in the font given; an ImagePrimitive draws the layout's line image.
    void Paint(QPainter& painter, const ChartLayout& layout,
               const std::vector<ChartPrimitive>& primitives);

private:
    friend struct PrimitivePainter;
    const QStaticText& Text(const std::string& text);

    QFont font_;
    QHash<QString, QStaticText> texts_;
};
