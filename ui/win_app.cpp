// The application object and the worker threads: the same on every platform.
#include "ui/app.h"

#include <thread>

namespace {

CWinApp* g_app = nullptr;

}  // namespace

CWinApp::CWinApp() { g_app = this; }

CWinApp::~CWinApp() {
    if (g_app == this) g_app = nullptr;
}

BOOL CWinApp::InitInstance() { return TRUE; }

CWinApp* AfxGetApp() { return g_app; }

void AfxBeginThread(AFX_THREADPROC fn, void* param) {
    std::thread([fn, param] { fn(param); }).detach();
}
