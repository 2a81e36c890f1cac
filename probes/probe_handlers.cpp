// Probe configuration from the main window. Not wired to the module yet: the buttons do nothing.
#include "console/scanner_dlg.h"

void CScannerDlg::OnSetSignalCount() {}
void CScannerDlg::OnRegister() {}
void CScannerDlg::OnReadSn() {}
void CScannerDlg::OnModeSemiOrManual() {}
void CScannerDlg::OnModeFullAuto() {}
void CScannerDlg::OnFileRegister() {}
