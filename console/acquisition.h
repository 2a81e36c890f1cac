#pragma once
#include <atomic>

// Run flag of continuous acquisition: set and cleared by the user-interface thread, read and
// finally cleared by the worker.
extern std::atomic<int> g_acquiring;

// Workers started and not yet ended; a worker may outlive its run and even its window.
extern std::atomic<int> g_acquisitionWorkers;

// The worker: param is a heap-allocated HWND of the main window, owned by the worker from then on.
unsigned AcquisitionThread(void* param);
