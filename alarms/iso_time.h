#pragma once
// Reading back the times the program writes (ISO 8601 with the UTC offset), and the shorter
// forms a user types.
#include <chrono>
#include <optional>
#include <string>

// 2026-12-07T15:38:26.123+08:00, also with Z, without milliseconds or seconds. Without an
// offset (or given as a date alone) the time is local.
std::optional<std::chrono::system_clock::time_point> ParseIsoTime(const std::string& text);
