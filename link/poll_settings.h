#pragma once
#include <cstdint>

// The settings a port is opened with and continuous acquisition runs with.
struct PollSettings {
    std::int32_t port = 0;     // n of COMn
    std::int32_t baud = 0;     // bits per second
    std::int32_t address = 0;  // module bus address; frames carry its low byte
    std::int32_t period = 0;   // pause between two readings, ms
};
