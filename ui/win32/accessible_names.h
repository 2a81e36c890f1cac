#pragma once
// Accessible names of a dialog's controls through the system's accessibility properties.
// Private to the layer.
class DialogWidget;

void SetAccessibleNames(const DialogWidget& dialog);
