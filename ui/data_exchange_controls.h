#pragma once
// What the data exchange asks of the controls it reads and writes, one small set per backend.
// The exchange itself (parsing, ranges, complaints, the order of things) is the same on every
// platform. Private to the layer.
#include <string>
#include <vector>

#include "ui/types.h"
#include "backend_types.h"

class CDialog;

// The dialog's control with this id; null when the dialog has no window or no such control.
NativeWidget* DialogControl(CDialog& dialog, int id);

// The text a field shows (an edit's text, a combo box's current text).
std::string ControlText(NativeWidget* control);
// Only when the text differs, so nothing repaints or announces a change needlessly.
void SetControlTextIfChanged(NativeWidget* control, const std::string& text);

bool IsComboBox(NativeWidget* control);
// The first item beginning with `prefix` (case-insensitively), CB_ERR when none does.
int FindComboItem(NativeWidget* combo, const std::string& prefix);
void SetComboSelection(NativeWidget* combo, int index);
// False for a drop-down list, which shows only its items.
bool ComboTakesTypedText(NativeWidget* combo);
void SetComboTypedText(NativeWidget* combo, const std::string& text);

// The radio buttons of the group from `firstId` to the group's end, in tab order.
std::vector<NativeWidget*> RadioGroupFrom(CDialog& dialog, int firstId);
bool IsRadioChecked(NativeWidget* radio);
// Checks the button at `index` and clears the others (all of them for an index outside).
void CheckRadioAt(const std::vector<NativeWidget*>& group, int index);

// The validation message: owned by the dialog, captioned with the application name.
void ShowValidationMessage(CDialog& dialog, const std::string& text, UINT type);
// Back to the field that failed, its text selected for retyping.
void RefocusFailedField(CDialog& dialog, NativeWidget* control);
