#include "ui/testing/win32/message_pump.h"

#include "ui/testing/wait.h"
#include "ui/win32/dialog_widget.h"

namespace uitest {

void DispatchAsTheLoopWould(MSG& msg) {
    const NativeHwnd root = msg.hwnd != nullptr ? ::GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    if (root != nullptr && DialogWidget::FromHwnd(root) != nullptr &&
        ::IsDialogMessageW(root, &msg)) {
        return;
    }
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
}

void PumpPendingMessages() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchAsTheLoopWould(msg);
}

bool WaitUntil(const std::function<bool()>& predicate, std::chrono::milliseconds deadline) {
    const auto end = std::chrono::steady_clock::now() + deadline;
    while (!predicate()) {
        if (std::chrono::steady_clock::now() >= end) return false;
        PumpPendingMessages();
        if (predicate()) return true;
        // A worker's SendMessage or a posted message wakes this at once; the slice only bounds
        // how late a condition set without any message is seen.
        ::MsgWaitForMultipleObjectsEx(0, nullptr, 10, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
    return true;
}

void FlushDeferredDeletes() {
    // Windows retired by their dialogs go with the messages that destroy them.
    PumpPendingMessages();
}

}  // namespace uitest
