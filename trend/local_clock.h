#pragma once
// The local wall clock the time axis is aligned to, from the system's time-zone rules (TZ on
// POSIX), daylight-saving changes included.
#include <cstdint>

struct LocalClock {
    int year = 1970, month = 1, day = 1;  // month 1..12
    int hour = 0, minute = 0, second = 0;
};

// The local wall clock at `seconds` since the epoch (one backend per platform).
LocalClock LocalClockAt(std::int64_t seconds);

// Seconds from 1970-01-01 to the clock's reading taken as UTC; minus the moment, the zone's
// offset then.
std::int64_t ClockSeconds(const LocalClock& clock);
