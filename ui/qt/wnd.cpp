#include "ui/wnd.h"

#include <QWidget>

#include "ui/dialog_host.h"
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
    DialogHost* dialog = DialogHostOf(widget_, true);
    CWnd* item = dialog != nullptr ? dialog->Item(id) : nullptr;
    // Only the window's own controls: a control has none inside it.
    if (item == nullptr || !widget_->isAncestorOf(item->GetWidget())) return nullptr;
    return item;
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
    DialogHost* dialog = DialogHostOf(widget_, false);
    return dialog != nullptr ? dialog->SafeHwnd() : HWND();
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::SendMessage(GetSafeHwnd(), message, wParam, lParam);
}
