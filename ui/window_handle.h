#pragma once
// A window handle that any thread may hold. SendMessage through it runs the message on the
// window's thread and waits; when the window no longer exists the message is dropped and 0 comes
// back at once.
#include <memory>

#include "ui/types.h"

class WindowLink;  // shared between the window and every handle to it
class CWnd;

class HWND {
public:
    HWND() = default;
    explicit HWND(std::shared_ptr<WindowLink> link) : link_(std::move(link)) {}
    explicit operator bool() const { return static_cast<bool>(link_); }
    const std::shared_ptr<WindowLink>& link() const { return link_; }

private:
    std::shared_ptr<WindowLink> link_;
};

LRESULT SendMessage(const HWND& window, UINT message, WPARAM wParam, LPARAM lParam);
// Whether the window still exists; any thread.
BOOL IsWindow(const HWND& window);

// A message box with no owner window, shown on the user-interface thread; callable from any
// thread, returns when it is dismissed (or at once when the application has ended).
// A null caption gives the platform's default caption "错误".
int MessageBoxNoOwner(const std::string& text, const char* caption = nullptr, UINT type = MB_OK);
