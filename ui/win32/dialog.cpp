#include "ui/win32/dialog_widget.h"

#include "ui/app.h"
#include "ui/dialog.h"
#include "ui/hook_registry.h"

CDialog::CDialog(const DialogTemplate& tpl, CWnd* parent) : tpl_(tpl), parent_(parent) {}

CDialog::~CDialog() {
    // The derived part is gone: WM_DESTROY can only reach this class's own (empty) map here.
    attached_.clear();
    if (widget_owner_) DestroyWidgets(false);
}

bool CDialog::Build() {
    if (widget_owner_) return false;
    NativeHwnd owner = parent_ != nullptr ? parent_->GetWidget() : nullptr;
    // Without a parent the framework makes the main window the owner.
    if (owner == nullptr && AfxGetApp() != nullptr && AfxGetApp()->m_pMainWnd != nullptr &&
        AfxGetApp()->m_pMainWnd != this) {
        owner = AfxGetApp()->m_pMainWnd->GetWidget();
    }
    if (owner != nullptr) owner = ::GetAncestor(owner, GA_ROOT);
    endResult_.reset();
    widget_owner_ = std::make_unique<DialogWidget>(this, owner);
    if (widget_owner_->Create() == nullptr) {
        // OnInitDialog may have ended the dialog already, or the system refused the template.
        if (widget_owner_) (void)widget_owner_.release();
        widget_ = nullptr;
        return endResult_.has_value();
    }
    widget_ = widget_owner_->Hwnd();
    return true;
}

void CDialog::DestroyWidgets(bool /*deferred*/) {
    if (!widget_owner_) return;
    widget_owner_->SendDestroyOnce();
    if (!widget_owner_) return;  // the handler destroyed the window itself
    DialogWidget* widget = widget_owner_.get();
    ForgetWidget();
    // The system destroys the window after the current message (if any) has been handled by
    // its own procedure; the object goes with the window.
    const NativeHwnd owner = widget->OwnerWindow();
    const bool active = widget->Hwnd() != nullptr && ::GetActiveWindow() == widget->Hwnd();
    widget->Retire();
    if (active && owner != nullptr) ::SetActiveWindow(owner);
}

int CDialog::DoModal() {
    mode_ = RunMode::Modal;
    if (!Build()) return -1;
    if (!widget_owner_) return endResult_.value_or(IDCANCEL);  // ended while initialising
    NativeHwnd hwnd = widget_owner_->Hwnd();
    NativeHwnd owner = widget_owner_->OwnerWindow();
    int result = IDCANCEL;
    if (!endResult_) {
        // Modal to its owner, as the system's own modal dialogs are.
        const bool ownerWasEnabled = owner != nullptr && ::IsWindowEnabled(owner);
        if (ownerWasEnabled) ::EnableWindow(owner, 0);
        ::ShowWindow(hwnd, SW_SHOW);
        if (widget_owner_->InitResult() == FALSE) {
            // OnInitDialog set the focus itself.
        }
        if (ModalDialogHook hook = CurrentModalDialogHook()) {
            result = hook(*this);
        } else {
            inModalLoop_ = true;
            MSG msg;
            bool quit = false;
            while (widget_owner_ && !endResult_) {
                const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
                if (got == 0 || got == -1) {
                    quit = got == 0;
                    break;
                }
                if (!widget_owner_ || !::IsDialogMessageW(widget_owner_->Hwnd(), &msg)) {
                    ::TranslateMessage(&msg);
                    ::DispatchMessageW(&msg);
                }
            }
            inModalLoop_ = false;
            if (quit) ::PostQuitMessage(static_cast<int>(msg.wParam));
            if (endResult_) result = *endResult_;
        }
        if (ownerWasEnabled) ::EnableWindow(owner, 1);
    } else {
        result = *endResult_;
    }
    DestroyWidgets(false);
    return result;
}

BOOL CDialog::Create() {
    mode_ = RunMode::Modeless;
    if (!Build() || !widget_owner_) return FALSE;
    ::ShowWindow(widget_owner_->Hwnd(), SW_SHOW);
    return TRUE;
}

void CDialog::EndDialog(int result) {
    if (!widget_owner_) {
        endResult_ = result;  // during WM_INITDIALOG of a modal run
        return;
    }
    endResult_ = result;
    if (mode_ == RunMode::Modeless) {
        DestroyWidgets(true);
    } else if (widget_owner_->Hwnd() != nullptr) {
        // Wakes the modal loop, which sees the result and ends.
        ::ShowWindow(widget_owner_->Hwnd(), SW_HIDE);
        ::PostMessageW(widget_owner_->Hwnd(), WM_NULL, 0, 0);
    }
}

CMenu* CDialog::GetSystemMenu(BOOL revert) {
    if (!widget_owner_) return nullptr;
    if (revert) {
        widget_owner_->RevertSystemMenu();
        return nullptr;
    }
    return &widget_owner_->SystemMenu();
}

void CDialog::SetIcon(HICON icon, BOOL bigIcon) {
    if (widget_ == nullptr || icon == nullptr) return;
    ::SendMessageW(widget_, WM_SETICON, bigIcon ? ICON_BIG : ICON_SMALL,
                   reinterpret_cast<LPARAM>(icon));
}

LRESULT CDialog::Default(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_SYSCOMMAND || widget_ == nullptr) return 0;
    if ((static_cast<UINT>(wParam) & 0xFFF0) == SC_CLOSE) {
        DispatchCommand(IDCANCEL, BN_CLICKED);
        return 0;
    }
    // Moving, minimising, restoring and the Alt+letter menu keys: the system's own handling.
    return ::DefWindowProcW(widget_, 0x0112, wParam, lParam);
}
