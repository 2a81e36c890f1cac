#pragma once
// The renderer's primitives handed to a control's paint target, and its texts measured by the
// control: the seam between the one layout and each platform's painter.
#include <string>
#include <unordered_map>
#include <vector>

#include "trend/chart_layout.h"
#include "ui/custom_control.h"

// Draws the primitives that reach into what the target needs painted, in their order.
void PaintPrimitives(PaintTarget& target, const ChartLayout& layout,
                     const std::vector<ChartPrimitive>& primitives);
// The pixels a primitive may draw on.
PixelBox BoxOf(const ChartPrimitive& primitive, const ChartLayout& layout);

// Measures in the control's font. The layout asks for the same labels at every reading: their
// sizes are kept until the control's size or font changes.
class ControlTextMeasurer : public TextMeasurer {
public:
    explicit ControlTextMeasurer(const CCustomControl& control) : control_(control) {}
    TextSize Measure(const std::string& text) const override;
    void Forget() { sizes_.clear(); }

private:
    const CCustomControl& control_;
    mutable std::unordered_map<std::string, TextSize> sizes_;
};
