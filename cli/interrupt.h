#pragma once
// Ctrl-C as a request to stop: once installed, an interrupt sets a flag instead of ending the
// process, so that a run can finish the record it is writing. Backends: interrupt_posix.cpp
// (SIGINT, SIGTERM, SIGHUP), interrupt_win32.cpp (console control events).
#include <cstdint>

void InstallInterruptHandler();
bool Interrupted();
// Waits up to `ms` milliseconds; returns early, true, when an interrupt comes.
bool WaitForInterrupt(std::uint32_t ms);
