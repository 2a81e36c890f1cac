#pragma once
// CWinApp: one global application object; the layer's main() starts Qt, runs InitInstance and
// ends the program when it returns false.
#include <string>

#include "ui/controls.h"
#include "ui/types.h"

class CWnd;

class CWinApp {
public:
    CWinApp();
    virtual ~CWinApp();
    virtual BOOL InitInstance();

    // The executable's file name without its extension: the caption of every message box.
    const std::string& AppName() const;
    HICON LoadIcon(int resourceId) const;

    CWnd* m_pMainWnd = nullptr;

private:
    mutable std::string appName_;
};

CWinApp* AfxGetApp();
// Message box captioned with the application name, owned by the active window.
int AfxMessageBox(const std::string& text, UINT type = MB_OK);
// The string table.
std::string LoadResourceString(int id);
// Platform feature switches of InitInstance; nothing to do on this platform.
inline void AfxEnableControlContainer() {}
inline void Enable3dControls() {}

// Starts a worker running fn(param) at once; it is not joined.
using AFX_THREADPROC = unsigned (*)(void* param);
void AfxBeginThread(AFX_THREADPROC fn, void* param);

// Runs the application: called by main() of the program.
int AfxWinMain(int argc, char** argv);
