#pragma once
// The shared object behind an HWND: the native window for as long as it lives. A message sent
// through it is the system's own SendMessage, so a worker's call runs on the window's thread
// while the sender waits. Private to the layer.
#include <atomic>

#include "ui/win32/windows_api.h"

class WindowLink {
public:
    explicit WindowLink(NativeHwnd hwnd) : hwnd_(hwnd) {}
    NativeHwnd Native() const { return hwnd_.load(); }
    // The window is going: later sends return 0 at once.
    void Detach() { hwnd_.store(nullptr); }
    bool IsAlive() const { return hwnd_.load() != nullptr; }

private:
    std::atomic<NativeHwnd> hwnd_;
};
