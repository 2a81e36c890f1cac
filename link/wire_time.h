#pragma once
// How long bytes take on the line, for the serial backends' waits for a reply.
#include <algorithm>
#include <chrono>
#include <thread>

// Ten bits a byte on the line: start, eight data bits, stop.
inline std::chrono::nanoseconds ByteTimeAt(int baud) {
    return std::chrono::nanoseconds(baud > 0 ? 10'000'000'000LL / baud : 0);
}

// The missing bytes of a reply cannot be here before they have crossed the line. Sleeping
// through most of their wire time, rather than waking for every byte, costs a handful of
// wake-ups a reply. Not all of it: an adapter may hold bytes that crossed the line before the
// wait began, so the caller waits for the last byte or so as it lands. False when too little is
// missing to be worth a sleep, or the deadline has passed.
inline bool SleepThroughWireTime(std::chrono::nanoseconds byteTime, unsigned missing,
                                 std::chrono::steady_clock::time_point deadline) {
    constexpr std::chrono::microseconds kShortestWireSleep{1000};
    const auto most = byteTime * missing * 3 / 4;
    const auto now = std::chrono::steady_clock::now();
    if (most < kShortestWireSleep || now >= deadline) return false;
    std::this_thread::sleep_until(std::min(now + most, deadline));
    return true;
}
