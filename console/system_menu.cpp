// The main window's system menu and its icon while minimised.
#include "console/about_dlg.h"
#include "console/scanner_dlg.h"
#include "res/resource.h"

void CScannerDlg::OnSysCommand(UINT id, LPARAM lParam) {
    if ((id & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg about;
        about.DoModal();
    } else {
        Default(WM_SYSCOMMAND, id, lParam);
    }
}

// The platform draws the minimised window from the icon set in OnInitDialog, so painting needs
// nothing of its own here.
void CScannerDlg::OnPaint() {
    Default(WM_PAINT, 0, 0);
}

HICON CScannerDlg::OnQueryDragIcon() {
    return m_icon;
}
