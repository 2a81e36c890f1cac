#pragma once
// The signals a running service obeys: SIGHUP reloads the site file, SIGTERM and SIGINT end it.
// Backend: serve_signals_posix.cpp.
#include <chrono>

enum class ServeSignal { None, Reload, End };

// Blocks the signals in the calling thread and every thread it starts afterwards, so that only
// WaitForServeSignal() takes them.
void BlockServeSignals();
ServeSignal WaitForServeSignal(std::chrono::milliseconds timeout);
