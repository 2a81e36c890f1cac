#include "ui/accessible_naming.h"

#include "ui/label_beside.h"

bool IsLabelledField(ControlKind kind) {
    switch (kind) {
        case ControlKind::Edit:
        case ControlKind::ComboDropList:
        case ControlKind::ComboDropDown:
        case ControlKind::ListView:
        case ControlKind::ListBox:
        case ControlKind::Spin: return true;
        default: return false;
    }
}

std::string StripMnemonicMarks(const std::string& caption) {
    std::string out;
    out.reserve(caption.size());
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&' && i + 1 < caption.size()) {
            out.push_back(caption[++i]);  // "&&" -> '&', "&X" -> 'X'
        } else if (caption[i] != '&') {
            out.push_back(caption[i]);
        }
    }
    return out;
}

std::vector<AccessibleNaming> AccessibleNamesOf(const DialogTemplate& tpl) {
    std::vector<AccessibleNaming> names(tpl.controls.size());
    for (std::size_t i = 0; i < tpl.controls.size(); ++i) {
        const ControlTemplate& ctl = tpl.controls[i];
        AccessibleNaming& naming = names[i];
        if (!ctl.accessibleName.empty()) {
            naming.name = ctl.accessibleName;
        } else if (IsLabelledField(ctl.kind)) {
            naming.label = LabelBeside(tpl, i);
            if (naming.label) {
                const ControlTemplate& label = tpl.controls[*naming.label];
                naming.name = (label.style & kStyleNoPrefix) != 0
                                  ? label.caption
                                  : StripMnemonicMarks(label.caption);
            }
        } else if (ctl.kind != ControlKind::Icon) {
            naming.name = (ctl.style & kStyleNoPrefix) != 0 ? ctl.caption
                                                            : StripMnemonicMarks(ctl.caption);
        }
    }
    return names;
}
