// Runs k7r2-console.exe (beside this build) in continuous acquisition for a while, for
// bench/wine_console_cpu.sh: sets the period, clicks "连续采集", lets it run, closes the window.
//   console_acquire.exe PERIOD_MS SECONDS
// Prints "acquiring" once the button is clicked; exits with the console's status, or 2 when the
// window never came.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "res/resource.h"

namespace {

struct WindowSearch {
    DWORD process = 0;
    HWND found = nullptr;
};

BOOL CALLBACK FindMainWindow(HWND window, LPARAM param) {
    auto& search = *reinterpret_cast<WindowSearch*>(param);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    wchar_t title[64] = {};
    ::GetWindowTextW(window, title, 64);
    if (owner == search.process && ::IsWindowVisible(window) &&
        std::wstring(title).rfind(L"QEV-K7R2", 0) == 0) {
        search.found = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: console_acquire PERIOD_MS SECONDS\n");
        return 2;
    }
    const std::wstring period = std::to_wstring(std::atoi(argv[1]));
    const DWORD runMs = static_cast<DWORD>(std::atoi(argv[2])) * 1000;

    wchar_t own[MAX_PATH];
    std::wstring path(own, ::GetModuleFileNameW(nullptr, own, MAX_PATH));
    for (int up = 0; up < 3; ++up) path.erase(path.find_last_of(L'\\'));
    std::wstring command = L"\"" + path + L"\\console\\k7r2-console.exe\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &process)) {
        std::fprintf(stderr, "cannot start the console (error %lu)\n", ::GetLastError());
        return 2;
    }
    WindowSearch search{process.dwProcessId};
    for (int tries = 0; tries < 1500 && search.found == nullptr; ++tries) {
        if (::WaitForSingleObject(process.hProcess, 20) == WAIT_OBJECT_0) break;
        ::EnumWindows(FindMainWindow, reinterpret_cast<LPARAM>(&search));
    }
    if (search.found == nullptr) {
        std::fprintf(stderr, "no console window\n");
        ::TerminateProcess(process.hProcess, 2);
        return 2;
    }
    ::SendMessageW(::GetDlgItem(search.found, IDC_PERIOD), WM_SETTEXT, 0,
                   reinterpret_cast<LPARAM>(period.c_str()));
    ::PostMessageW(::GetDlgItem(search.found, IDC_CONTINUOUS_ACQUISITION), BM_CLICK, 0, 0);
    std::printf("acquiring\n");
    std::fflush(stdout);

    ::WaitForSingleObject(process.hProcess, runMs);
    ::PostMessageW(search.found, WM_CLOSE, 0, 0);
    DWORD status = 2;
    if (::WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0) {
        ::TerminateProcess(process.hProcess, 2);
    } else {
        ::GetExitCodeProcess(process.hProcess, &status);
    }
    return static_cast<int>(status);
}
