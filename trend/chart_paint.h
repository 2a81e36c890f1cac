#pragma once
// The renderer's primitives handed to a control's paint target, and its texts measured by the
// control: the seam between the one layout and each platform's painter.
#include <vector>

#include "trend/chart_layout.h"
#include "ui/custom_control.h"

void PaintPrimitives(PaintTarget& target, const ChartLayout& layout,
                     const std::vector<ChartPrimitive>& primitives);

class ControlTextMeasurer : public TextMeasurer {
public:
    explicit ControlTextMeasurer(const CCustomControl& control) : control_(control) {}
    TextSize Measure(const std::string& text) const override {
        const TextExtent extent = control_.GetTextExtent(text);
        return {extent.cx, extent.cy};
    }

private:
    const CCustomControl& control_;
};
