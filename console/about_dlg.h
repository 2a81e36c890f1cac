#pragma once
#include "ui/afxwin.h"

// The About box: the icon, the version line and OK.
class CAboutDlg : public CDialog {
public:
    CAboutDlg();
};
