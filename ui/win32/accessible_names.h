#pragma once
// Accessible names of a dialog's controls through the system's accessibility properties.
// Private to the layer.
#include "ui/win32/windows_api.h"

class DialogWidget;

void SetAccessibleNames(const DialogWidget& dialog);

// A list view's in-place editor, just opened, is named as what it edits: the first column's
// heading (the system would name it after nothing useful).
void NameLabelEditor(NativeHwnd list);
