#pragma once
#include <chrono>
#include <string>

// Local time in ISO 8601 with milliseconds and the UTC offset: 2026-12-07T15:38:26.123+08:00.
std::string IsoLocalTime(std::chrono::system_clock::time_point time);
// Local date and time for file names: 20261207_153826.
std::string CompactLocalTime(std::chrono::system_clock::time_point time);
