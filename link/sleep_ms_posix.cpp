#include <cerrno>
#include <ctime>

#include "link/sleep_ms.h"

void SleepMilliseconds(std::uint32_t ms) {
    timespec rest{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
    while (nanosleep(&rest, &rest) != 0 && errno == EINTR) {
    }
}
