#pragma once
// PostMessage: the message goes through the window's message map later, on the user-interface
// thread, once the current handler (and any that called it) has returned. A window destroyed
// meanwhile drops it. Any thread.
#include "ui/types.h"
#include "ui/window_handle.h"

BOOL PostMessage(const HWND& window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
