#pragma once
// CWnd: a window or control, wrapping a native widget (the backend's) that the layer owns
// elsewhere.
#include <string>

#include "backend_types.h"
#include "ui/types.h"
#include "ui/window_handle.h"

class CMenu;
class CDialog;

class CWnd {
public:
    CWnd() = default;
    virtual ~CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    // Binds this object to a widget (DDX_Control does this for control members).
    void Attach(NativeWidget* widget);
    // Unbinds it (the layer does this when the widget goes away).
    void Detach() { widget_ = nullptr; }
    NativeWidget* GetWidget() const { return widget_; }
    bool IsAttached() const { return widget_ != nullptr; }

    int GetDlgCtrlID() const;
    // The control with this id inside this window, as a transient CWnd owned by the window;
    // nullptr when there is none.
    CWnd* GetDlgItem(int id) const;

    void SetWindowText(const std::string& text);
    std::string GetWindowText() const;
    void EnableWindow(BOOL enable = TRUE);
    BOOL IsWindowEnabled() const;
    BOOL IsWindowVisible() const;
    void SetFocus();
    BOOL IsIconic() const;
    void ShowWindow(bool show);

    // Synchronous message: runs the handler on the user-interface thread and returns its result;
    // from another thread the caller waits until it has run.
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    // A handle other threads may keep: messages to a destroyed window are dropped.
    HWND GetSafeHwnd() const;

    // Message box owned by this window: text, OK, caption = application name unless given.
    int MessageBox(const std::string& text, const char* caption = nullptr, UINT type = MB_OK);

protected:
    NativeWidget* widget_ = nullptr;
};
