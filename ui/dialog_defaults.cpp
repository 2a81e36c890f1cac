// A dialog's behaviour that no drawing changes: the framework's default handlers, UpdateData,
// how DestroyWindow ends a modal run, and letting go of the window's widgets.
#include "ui/dialog.h"

bool CDialog::IsCreated() const { return widget_owner_ != nullptr; }

void CDialog::ForgetWidget() {
    (void)widget_owner_.release();  // its deleter is running already, or the caller deletes it
    widget_ = nullptr;
    for (CWnd* control : attached_) control->Detach();
    attached_.clear();
    mode_ = RunMode::None;
}

BOOL CDialog::DestroyWindow() {
    if (!widget_owner_) return FALSE;
    if (mode_ == RunMode::Modal) {
        // A modal run ends first; DoModal destroys the window when its loop returns.
        EndDialog(IDCANCEL);
        return TRUE;
    }
    DestroyWidgets(true);
    return TRUE;
}

BOOL CDialog::UpdateData(BOOL saveAndValidate) {
    if (!widget_owner_) return FALSE;
    CDataExchange dx(this, saveAndValidate);
    DoDataExchange(&dx);
    return dx.Failed() ? FALSE : TRUE;
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::DoDataExchange(CDataExchange* /*pDX*/) {}

void CDialog::OnOK() {
    if (!UpdateData(TRUE)) return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

const MessageMap& CDialog::GetMessageMap() const {
    static const MessageMap empty;
    return empty;
}
