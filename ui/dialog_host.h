#pragma once
// What a window or control asks of the dialog window it belongs to, without knowing the
// backend's dialog class: its controls as CWnd objects, and the handle other threads send to.
// The backends' dialog windows implement it, so CWnd depends on this and not on them.
#include "backend_types.h"
#include "ui/window_handle.h"

class CWnd;

class DialogHost {
public:
    // A CWnd of the control's class, owned by the dialog window; null when there is none.
    virtual CWnd* Item(int id) = 0;
    virtual HWND SafeHwnd() const = 0;

protected:
    ~DialogHost() = default;
};

// The dialog window that `widget` is, or with `orEnclosing` the one it sits in; null when none.
DialogHost* DialogHostOf(NativeWidget* widget, bool orEnclosing);
