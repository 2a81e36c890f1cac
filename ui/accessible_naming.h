#pragma once
// What a screen reader calls each control of a template, as a sighted user reads the window:
// a control with a caption by its caption (mnemonic marks dropped unless shown as is), a field
// (edit, combo box, list, up-down) by the static text beside it, and a control with a fixed
// accessible name by that. Backends apply these through their platform's accessibility
// properties; a caption that changes later names its control anew on every platform.
#include <optional>
#include <string>
#include <vector>

#include "ui/dialog_template.h"

bool IsLabelledField(ControlKind kind);

// One entry per control in template order; empty where the control has nothing to be called
// (an icon, a field without a label beside it).
struct AccessibleNaming {
    std::string name;
    // For a field: the template index of the label it is named after.
    std::optional<std::size_t> label;
};
std::vector<AccessibleNaming> AccessibleNamesOf(const DialogTemplate& tpl);

// '&' marks a mnemonic in a caption; "&&" is a literal '&'.
std::string StripMnemonicMarks(const std::string& caption);
