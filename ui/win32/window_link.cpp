#include "ui/win32/window_link.h"

#include "ui/post_message.h"

LRESULT SendMessage(const HWND& window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!window.link()) return 0;
    NativeHwnd native = window.link()->Native();
    if (native == nullptr) return 0;
    return ::SendMessageW(native, message, wParam, lParam);
}

BOOL IsWindow(const HWND& window) {
    if (!window.link()) return FALSE;
    NativeHwnd native = window.link()->Native();
    return native != nullptr && ::IsWindow(native) ? TRUE : FALSE;
}

BOOL PostMessage(const HWND& window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!window.link()) return FALSE;
    NativeHwnd native = window.link()->Native();
    return native != nullptr && ::PostMessageW(native, message, wParam, lParam) ? TRUE : FALSE;
}
