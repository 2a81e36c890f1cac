// Console control events (Ctrl-C, Ctrl-Break, closing the console) set the flag and an event
// that the wait blocks on.
#include <windows.h>

#include <atomic>

#include "cli/interrupt.h"

namespace {

std::atomic<bool> g_interrupted{false};
HANDLE g_wake = nullptr;

BOOL WINAPI OnControl(DWORD) {
    g_interrupted.store(true);
    if (g_wake != nullptr) SetEvent(g_wake);
    return TRUE;
}

}  // namespace

void InstallInterruptHandler() {
    if (g_wake != nullptr) return;
    g_wake = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    SetConsoleCtrlHandler(OnControl, TRUE);
}

bool Interrupted() {
    return g_interrupted.load();
}

bool WaitForInterrupt(std::uint32_t ms) {
    if (Interrupted()) return true;
    if (g_wake == nullptr) {
        Sleep(ms);
    } else {
        WaitForSingleObject(g_wake, ms);
    }
    return Interrupted();
}
