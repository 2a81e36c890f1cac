// The registration mode's radio buttons and the fields each mode uses.
#include "console/scanner_dlg.h"
#include "res/resource.h"

void CScannerDlg::EnableSnEdits(bool enable) {
    for (int id : kSnByteIds) {
        if (CWnd* edit = GetDlgItem(id)) edit->EnableWindow(enable ? TRUE : FALSE);
    }
}

void CScannerDlg::OnModeSemiOrManual() {
    UpdateData(TRUE);
    EnableSnEdits(m_regMode != 0);
    m_editChannel.EnableWindow(TRUE);
}

// The search assigns channels by itself: neither a channel nor an SN is typed.
void CScannerDlg::OnModeFullAuto() {
    m_editChannel.EnableWindow(FALSE);
    EnableSnEdits(false);
}
