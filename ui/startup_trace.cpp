#include "ui/startup_trace.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>

void StartupMark(const char* what) {
    static std::FILE* const trace = [] {
        const char* path = std::getenv("K7R2_STARTUP_TRACE");
        return path != nullptr && *path != '\0' ? std::fopen(path, "a") : nullptr;
    }();
    if (trace == nullptr) return;
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    // The C library's clock is the process's CPU time on Linux, in microseconds.
    const double cpuNs = static_cast<double>(std::clock()) * 1e9 / CLOCKS_PER_SEC;
    std::fprintf(trace, "%s\t%lld\t%lld\n", what,
                 static_cast<long long>(std::chrono::nanoseconds(now).count()),
                 static_cast<long long>(cpuNs));
    std::fflush(trace);
}
