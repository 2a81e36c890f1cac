#include "console/about_dlg.h"

#include "res/dialog_templates.h"

CAboutDlg::CAboutDlg() : CDialog(AboutBoxTemplate()) {}
