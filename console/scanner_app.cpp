#include "console/scanner_app.h"

#include "console/scanner_dlg.h"
#include "res/dialog_templates.h"
#include "ui/startup_trace.h"

CScannerApp theApp;

BOOL CScannerApp::InitInstance() {
    AfxEnableControlContainer();
    Enable3dControls();
    RegisterResources();
    StartupMark("resources");

    CScannerDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    m_pMainWnd = nullptr;
    // No message loop of our own: the program ends with the window. A running acquisition worker
    // is not waited for.
    return FALSE;
}
