#include "ui/dialog.h"

#include <QPointer>
#include <QWindow>

#include "ui/app.h"
#include "ui/qt/dialog_loop.h"
#include "ui/qt/dialog_widget.h"
#include "ui/hook_registry.h"
#include "ui/startup_trace.h"

CDialog::CDialog(const DialogTemplate& tpl, CWnd* parent) : tpl_(tpl), parent_(parent) {}

CDialog::~CDialog() {
    // The derived part is gone: WM_DESTROY can only reach this class's own (empty) map here, and
    // the control members no longer exist to be let go of.
    attached_.clear();
    if (widget_owner_) DestroyWidgets(false);
}

bool CDialog::Build() {
    if (widget_owner_) return false;
    QWidget* owner = parent_ != nullptr ? parent_->GetWidget() : nullptr;
    // Without a parent the framework makes the main window the owner.
    if (owner == nullptr && AfxGetApp() != nullptr && AfxGetApp()->m_pMainWnd != nullptr &&
        AfxGetApp()->m_pMainWnd != this) {
        owner = AfxGetApp()->m_pMainWnd->GetWidget();
    }
    if (owner != nullptr) owner = owner->window();
    endResult_.reset();
    widget_owner_ = std::make_unique<DialogWidget>(this, owner);
    widget_ = widget_owner_.get();
    return true;
}

void CDialog::DestroyWidgets(bool deferred) {
    if (!widget_owner_) return;
    widget_owner_->SendDestroyOnce();
    if (!widget_owner_) return;  // the handler destroyed the window itself
    DialogWidget* widget = widget_owner_.get();
    ForgetWidget();  // deleted below, once the window is retired
    widget->Retire();
    if (deferred) {
        widget->deleteLater();
    } else {
        delete widget;
    }
}

int CDialog::DoModal() {
    StartupMark("dialog");
    if (!Build()) return -1;
    StartupMark("template");
    mode_ = RunMode::Modal;
    QPointer<DialogWidget> widget = widget_owner_.get();
    // Modal to its owner only: a window without one (the main window) blocks no other window.
    QWidget* owner = widget->parentWidget();
    widget->setWindowModality(owner != nullptr ? Qt::WindowModal : Qt::NonModal);
    const BOOL focusFirst = OnInitDialog();
    StartupMark("initialised");
    int result = IDCANCEL;
    if (widget && widget_owner_ && !endResult_) {
        widget->ShowAndFocus(focusFirst != FALSE);
        StartupMark("shown");
        if (ModalDialogHook hook = CurrentModalDialogHook()) {
            result = hook(*this);
        } else {
            inModalLoop_ = true;
            result = RunDialogLoop(*widget, owner);
            inModalLoop_ = false;
            if (endResult_) result = *endResult_;
        }
    } else if (endResult_) {
        result = *endResult_;  // ended during its initialisation
    }
    DestroyWidgets(false);
    return result;
}

BOOL CDialog::Create() {
    if (!Build()) return FALSE;
    mode_ = RunMode::Modeless;
    const BOOL focusFirst = OnInitDialog();
    if (!widget_owner_) return FALSE;
    widget_owner_->ShowAndFocus(focusFirst != FALSE);
    return TRUE;
}

void CDialog::EndDialog(int result) {
    if (!widget_owner_) return;
    endResult_ = result;
    if (mode_ == RunMode::Modeless) {
        // Often called from inside a handler of the window's own widgets.
        DestroyWidgets(true);
    } else if (inModalLoop_) {
        widget_owner_->done(result);
    } else {
        widget_owner_->hide();  // the modal hook (or OnInitDialog) ends the run
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

void CDialog::SetIcon(HICON icon, BOOL /*bigIcon*/) {
    // One window icon serves both sizes; the platform shows it for the minimised window too.
    if (widget_owner_ && icon != nullptr) widget_owner_->setWindowIcon(*icon);
}

LRESULT CDialog::Default(UINT message, WPARAM wParam, LPARAM /*lParam*/) {
    // WM_PAINT and WM_QUERYDRAGICON need nothing here: Qt paints the window and shows the window
    // icon for a minimised window, so the layer never sends them.
    if (message != WM_SYSCOMMAND || !widget_owner_) return 0;
    DialogWidget* widget = widget_owner_.get();
    switch (static_cast<UINT>(wParam) & 0xFFF0) {
        case SC_CLOSE:
            DispatchCommand(IDCANCEL, BN_CLICKED);
            break;
        case SC_MINIMIZE:
            widget->showMinimized();
            break;
        case SC_RESTORE:
            widget->showNormal();
            break;
        case SC_MOVE:
            if (QWindow* window = widget->windowHandle()) window->startSystemMove();
            break;
        default:
            break;
    }
    return 0;
}
