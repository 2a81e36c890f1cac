#include "ui/label_beside.h"

#include <algorithm>

namespace {

// Template rectangles touch or overlap by a unit where a spin or a frame meets a field.
constexpr int kSlack = 2;
// A label above a field stands close to it and starts where the field starts.
constexpr int kMaxGapAbove = 12;

bool IsLabel(const ControlTemplate& ctl) {
    return ctl.kind == ControlKind::Static && ctl.id == kNoId && !ctl.caption.empty();
}

int Right(const ControlTemplate& c) { return c.x + c.cx; }
int Bottom(const ControlTemplate& c) {
    const bool combo = c.kind == ControlKind::ComboDropList || c.kind == ControlKind::ComboDropDown;
    return c.y + (combo ? std::min(c.cy, kComboFieldHeight) : c.cy);
}

bool SameRow(const ControlTemplate& a, const ControlTemplate& b) {
    return a.y < Bottom(b) && b.y < Bottom(a);
}

bool OverlapsColumn(const ControlTemplate& c, int left, int right) {
    return c.x < right && left < Right(c);
}

}  // namespace

std::optional<std::size_t> LabelBeside(const DialogTemplate& tpl, std::size_t field) {
    const auto& controls = tpl.controls;
    const ControlTemplate& f = controls[field];

    // The nearest control to the left on the field's row; a frame is no neighbour.
    std::optional<std::size_t> left;
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const ControlTemplate& c = controls[i];
        if (i == field || c.kind == ControlKind::GroupBox || !SameRow(c, f)) continue;
        if (Right(c) > f.x + kSlack) continue;
        if (!left || Right(c) > Right(controls[*left])) left = i;
    }
    if (left && IsLabel(controls[*left])) return left;

    // Else a label over the field's left edge, with nothing between the two in its column.
    std::optional<std::size_t> above;
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const ControlTemplate& c = controls[i];
        if (!IsLabel(c) || Bottom(c) > f.y + kSlack || f.y - Bottom(c) > kMaxGapAbove) continue;
        if (c.x > f.x + kSlack || Right(c) <= f.x) continue;
        if (!above || Bottom(c) > Bottom(controls[*above])) above = i;
    }
    if (!above) return std::nullopt;
    const ControlTemplate& label = controls[*above];
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const ControlTemplate& c = controls[i];
        if (i == field || i == *above || c.kind == ControlKind::GroupBox) continue;
        if (OverlapsColumn(c, label.x, Right(label)) && c.y >= Bottom(label) && Bottom(c) <= f.y) {
            return std::nullopt;
        }
    }
    return above;
}
