#pragma once
// The test's stand-in for the program's message loop: keyboard messages of a dialog go through
// its dialog handling (Tab, Enter, Escape, Alt+letter), everything else is dispatched.
#include "ui/win32/windows_api.h"

namespace uitest {

void DispatchAsTheLoopWould(MSG& msg);
// Handles every message waiting now (sent messages from other threads included).
void PumpPendingMessages();

}  // namespace uitest
