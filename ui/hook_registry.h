#pragma once
// The installed test hooks, as the layer reads them. Private to the layer.
#include "ui/test_hooks.h"

MessageBoxHook CurrentMessageBoxHook();
FileDialogHook CurrentFileDialogHook();
ModalDialogHook CurrentModalDialogHook();
ShownDialogHook CurrentShownDialogHook();
