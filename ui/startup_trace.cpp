#include "ui/startup_trace.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

void StartupMark(const char* what) {
    static std::FILE* const trace = [] {
        const char* path = std::getenv("K7R2_STARTUP_TRACE");
        return path != nullptr && *path != '\0' ? std::fopen(path, "a") : nullptr;
    }();
    if (trace == nullptr) return;
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    std::fprintf(trace, "%s\t%lld\n", what,
                 static_cast<long long>(std::chrono::nanoseconds(now).count()));
    std::fflush(trace);
}
