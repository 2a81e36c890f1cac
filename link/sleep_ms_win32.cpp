#include <windows.h>

#include "link/sleep_ms.h"

void SleepMilliseconds(std::uint32_t ms) {
    Sleep(ms);
}
