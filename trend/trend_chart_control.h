#pragma once
// The trend's chart as a custom control of the dialog layer: the renderer's layout of the
// lines, laid out again when the lines or the size change, the line under the pointer reported
// and its point marked with a label of its time and value. No GUI toolkit here.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "trend/chart_layout.h"
#include "trend/chart_paint.h"
#include "ui/custom_control.h"

class TrendChartControl : public CCustomControl {
public:
    // The time range and the shown lines (one per channel at most).
    void SetScene(std::int64_t fromMs, std::int64_t toMs, std::vector<ChartLine> lines);
    const ChartScene& Scene() const { return scene_; }
    const ChartLayout& Layout() const { return layout_; }
    // The channel's line, null when it is not shown.
    const ChartLine* LineOf(int channel) const;
    // Where a point (ms, °C) is drawn, in the control's pixels.
    RasterPoint Position(const RasterPoint& value) const;
    // The hovered channel (-1 for none) and the label shown by its point.
    int HoveredChannel() const { return hovered_; }
    const std::string& HoverLabel() const { return hoverLabel_; }

    // The label for the pointer near a channel's line at `timeMs`; empty shows none.
    std::function<std::string(int channel, double timeMs)> hoverText;
    // The plot area's width changed (the lines are decimated to it).
    std::function<void(int columns)> onPlotWidthChanged;

    void OnPaint(PaintTarget& target) override;
    void OnSize(int cx, int cy) override;
    void OnMouseMove(int x, int y) override;
    void OnMouseLeave() override;

private:
    // `linesBefore`: the lines the current image shows, when only the scene changed since.
    void Relayout(const std::vector<ChartLine>* linesBefore = nullptr);
    void PlaceMarker();
    // Asks for painting again where the primitives now differ from those of before.
    void InvalidateChanged(const std::vector<ChartPrimitive>& before, const PixelBox& plotBefore,
                           const std::vector<ChartPrimitive>& markerBefore);

    ChartScene scene_;
    ControlTextMeasurer measurer_{*this};
    ChartLayout layout_;
    std::vector<ChartPrimitive> marker_;
    int hovered_ = -1;  // channel
    double hoverMs_ = 0;
    int pointerX_ = 0, pointerY_ = 0;
    std::string hoverLabel_;
};
