#include "ui/win32/message_box.h"

#include "ui/app.h"
#include "ui/hook_registry.h"
#include "ui/win32/dialog_widget.h"
#include "ui/wnd.h"

namespace {

bool HasWarningIcon(UINT type) { return (type & 0x00F0) == MB_ICONWARNING; }

}  // namespace

std::string ApplicationCaption() {
    if (CWinApp* app = AfxGetApp()) return app->AppName();
    return {};
}

int ShowMessageBox(NativeHwnd owner, const std::string& text, const std::string& caption,
                   UINT type) {
    if (MessageBoxHook hook = CurrentMessageBoxHook()) {
        MessageBoxRecord record{text, caption, HasWarningIcon(type), owner != nullptr};
        return hook(record);
    }
    if (owner != nullptr) owner = ::GetAncestor(owner, GA_ROOT);
    // A box without owner stays with the program's windows rather than behind them.
    const UINT extra = owner == nullptr ? MB_TASKMODAL | MB_SETFOREGROUND : 0;
    return ::MessageBoxW(owner, Wide(text).c_str(), Wide(caption).c_str(), type | extra);
}

int CWnd::MessageBox(const std::string& text, const char* caption, UINT type) {
    return ShowMessageBox(widget_, text, caption != nullptr ? caption : ApplicationCaption(),
                          type);
}

int AfxMessageBox(const std::string& text, UINT type) {
    // Owned by the active window, as the framework does; else by the main window.
    NativeHwnd owner = ::GetActiveWindow();
    if (owner == nullptr && AfxGetApp() != nullptr && AfxGetApp()->m_pMainWnd != nullptr) {
        owner = AfxGetApp()->m_pMainWnd->GetWidget();
    }
    return ShowMessageBox(owner, text, ApplicationCaption(), type);
}

int MessageBoxNoOwner(const std::string& text, const char* caption, UINT type) {
    // The system's message box may be shown from any thread.
    return ShowMessageBox(nullptr, text, caption != nullptr ? caption : "错误", type);
}
