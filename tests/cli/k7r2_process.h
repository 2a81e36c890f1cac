#pragma once
// Runs the k7r2 program as a process of its own, with its output captured and a deadline.
#include <chrono>
#include <functional>
#include <string>
#include <vector>

struct ProcessResult {
    int exitStatus = -1;  // -1: killed at the deadline or ended by a signal
    std::string out;
    std::string err;
};

// How the process starts, beyond its arguments.
struct ProcessSetup {
    std::string stdoutPath;      // stdout into this file (opened for appending), not captured
    std::string stderrPath;      // the same for stderr
    long long fileSizeLimit = -1;  // RLIMIT_FSIZE in bytes, with SIGXFSZ ignored (writes fail EFBIG)
    int stopSignal = 2;          // what interruptWhen sends (SIGINT)
};

// `whileRunning` is called with the output so far whenever more arrives; it may return true
// once to have SIGINT sent to the process.
ProcessResult RunK7r2Process(const std::vector<std::string>& args,
                             std::chrono::milliseconds deadline = std::chrono::seconds(30),
                             const std::function<bool(const std::string& out)>& interruptWhen = {});
ProcessResult RunK7r2Process(const std::vector<std::string>& args, const ProcessSetup& setup,
                             std::chrono::milliseconds deadline = std::chrono::seconds(30),
                             const std::function<bool(const std::string& out)>& interruptWhen = {});
