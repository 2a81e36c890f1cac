#pragma once
#include <cstdint>

// Suspends the calling thread for about `ms` milliseconds.
void SleepMilliseconds(std::uint32_t ms);
