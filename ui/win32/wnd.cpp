#include "ui/win32/dialog_widget.h"

#include "ui/wnd.h"
#include "ui/win32/window_link.h"

void CWnd::Attach(NativeWidget* widget) { widget_ = widget; }

int CWnd::GetDlgCtrlID() const { return widget_ != nullptr ? ::GetDlgCtrlID(widget_) : 0; }

CWnd* CWnd::GetDlgItem(int id) const {
    DialogWidget* dialog = DialogWidget::FromHwnd(widget_);
    return dialog != nullptr ? dialog->Item(id) : nullptr;
}

void CWnd::SetWindowText(const std::string& text) {
    if (widget_ != nullptr) ::SetWindowTextW(widget_, Wide(text).c_str());
}

std::string CWnd::GetWindowText() const { return WindowTextOf(widget_); }

void CWnd::EnableWindow(BOOL enable) {
    if (widget_ != nullptr) ::EnableWindow(widget_, enable != FALSE);
}

BOOL CWnd::IsWindowEnabled() const {
    return widget_ != nullptr && ::IsWindowEnabled(widget_) ? TRUE : FALSE;
}

BOOL CWnd::IsWindowVisible() const {
    return widget_ != nullptr && ::IsWindowVisible(widget_) ? TRUE : FALSE;
}

void CWnd::SetFocus() {
    if (widget_ == nullptr) return;
    // Inside a dialog the dialog manager moves the focus, so the default button follows.
    NativeHwnd parent = ::GetParent(widget_);
    if (parent != nullptr && DialogWidget::FromHwnd(parent) != nullptr) {
        ::SendMessageW(parent, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(widget_), 1);
    } else {
        ::SetFocus(widget_);
    }
}

BOOL CWnd::IsIconic() const { return widget_ != nullptr && ::IsIconic(widget_) ? TRUE : FALSE; }

void CWnd::ShowWindow(bool show) {
    if (widget_ != nullptr) ::ShowWindow(widget_, show ? SW_SHOW : SW_HIDE);
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return widget_ != nullptr ? ::SendMessageW(widget_, message, wParam, lParam) : 0;
}

HWND CWnd::GetSafeHwnd() const {
    if (DialogWidget* dialog = DialogWidget::FromHwnd(widget_)) return HWND(dialog->Link());
    if (widget_ == nullptr) return HWND();
    return HWND(std::make_shared<WindowLink>(widget_));
}
