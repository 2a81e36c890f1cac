// The PT100 dialog is not built yet: its button does nothing.
#include "console/scanner_dlg.h"

void CScannerDlg::OnPt100Settings() {}
