// The main window's button to the PT100 dialog.
#include "console/scanner_dlg.h"
#include "console/trace_list.h"
#include "pt100/pt100_dlg.h"

void CScannerDlg::OnPt100Settings() {
    CPt100Dlg dlg;  // no parent given: the framework makes the main window its owner
    dlg.DoModal();
    g_traceList = nullptr;  // its log list goes with it
}
