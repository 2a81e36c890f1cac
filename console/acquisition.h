#pragma once
#include <atomic>

// Run flag of continuous acquisition: set and cleared by the user-interface thread, read and
// finally cleared by the worker.
extern std::atomic<int> g_acquiring;

// The worker: param is a heap-allocated HWND of the main window, owned by the worker from then on.
unsigned AcquisitionThread(void* param);
