#include "ui/win32/dialog_widget.h"

#include <clocale>

#include "ui/app.h"

namespace {

// Per-monitor DPI awareness also when the manifest is missing (a bare copy of the program):
// dialogs then scale their dialog units with each monitor's DPI.
void BecomeDpiAware() {
    using SetContext = BOOL(WINAPI*)(void*);
    HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
    auto set = user32 != nullptr ? reinterpret_cast<SetContext>(reinterpret_cast<void*>(
                                       ::GetProcAddress(user32, "SetProcessDpiAwarenessContext")))
                                 : nullptr;
    // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2
    if (set == nullptr || !set(reinterpret_cast<void*>(static_cast<INT_PTR>(-4)))) {
        ::SetProcessDPIAware();
    }
}

}  // namespace

const std::string& CWinApp::AppName() const {
    if (appName_.empty()) {
        // The executable's file name without its extension.
        std::wstring path(MAX_PATH, L'\0');
        DWORD length = ::GetModuleFileNameW(nullptr, path.data(), MAX_PATH);
        while (length == path.size()) {
            path.resize(path.size() * 2);
            length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        }
        path.resize(length);
        const std::size_t slash = path.find_last_of(L"\\/");
        std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
        const std::size_t dot = name.find_last_of(L'.');
        if (dot != std::wstring::npos && dot > 0) name.resize(dot);
        appName_ = Utf8(name);
    }
    return appName_;
}

int AfxWinMain(int /*argc*/, char** /*argv*/) {
    std::setlocale(LC_NUMERIC, "C");
    BecomeDpiAware();
    // The accessibility properties are a COM service of this (the user-interface) thread.
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX),
                                  ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES |
                                      ICC_UPDOWN_CLASS};
    ::InitCommonControlsEx(&controls);
    CWinApp* winApp = AfxGetApp();
    if (winApp == nullptr) return 1;
    if (!winApp->InitInstance()) return 0;
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return 0;
}
