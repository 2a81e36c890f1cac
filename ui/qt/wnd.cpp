#include "ui/wnd.h"

#include <QWidget>

#include "ui/qt/dialog_widget.h"
#include "ui/qt/widget_text.h"

void CWnd::Attach(QWidget* widget) { widget_ = widget; }

int CWnd::GetDlgCtrlID() const {
    if (widget_ == nullptr) return 0;
    bool ok = false;
    const int id = widget_->property("k7r2_control_id").toInt(&ok);
    return ok && id != -1 ? id : 0;
}

CWnd* CWnd::GetDlgItem(int id) const {
    if (widget_ == nullptr) return nullptr;
    auto* dialog = qobject_cast<DialogWidget*>(widget_->window());
    if (dialog == nullptr) return nullptr;
    QWidget* control = dialog->Control(id);
    if (control == nullptr || !widget_->isAncestorOf(control)) return nullptr;
    return dialog->Item(id);
}

void CWnd::SetWindowText(const std::string& text) {
    SetWidgetText(widget_, QString::fromStdString(text));
}

std::string CWnd::GetWindowText() const { return WidgetText(widget_).toStdString(); }

void CWnd::EnableWindow(BOOL enable) {
    if (widget_ != nullptr) widget_->setEnabled(enable != FALSE);
}

BOOL CWnd::IsWindowEnabled() const {
    // The window's own state, not its parents'.
    return widget_ != nullptr && !widget_->testAttribute(Qt::WA_Disabled) ? TRUE : FALSE;
}

BOOL CWnd::IsWindowVisible() const {
    return widget_ != nullptr && widget_->isVisible() ? TRUE : FALSE;
}

void CWnd::SetFocus() {
    if (widget_ != nullptr) widget_->setFocus(Qt::OtherFocusReason);
}

BOOL CWnd::IsIconic() const {
    return widget_ != nullptr && widget_->window()->isMinimized() ? TRUE : FALSE;
}

void CWnd::ShowWindow(bool show) {
    if (widget_ != nullptr) widget_->setVisible(show);
}

HWND CWnd::GetSafeHwnd() const {
    // Only dialogs receive messages; a control has no handle of its own here.
    if (auto* dialog = qobject_cast<DialogWidget*>(widget_)) return HWND(dialog->Link());
    return HWND();
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::SendMessage(GetSafeHwnd(), message, wParam, lParam);
}
