#include "trend/local_clock.h"

std::int64_t ClockSeconds(const LocalClock& clock) {
    // Days from the civil date (proleptic Gregorian), after Howard Hinnant's days_from_civil.
    const std::int64_t y = clock.year - (clock.month <= 2 ? 1 : 0);
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yearOfEra = y - era * 400;
    const std::int64_t m = clock.month;
    const std::int64_t dayOfYear = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + clock.day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    const std::int64_t days = era * 146097 + dayOfEra - 719468;
    return days * 86400 + clock.hour * 3600 + clock.minute * 60 + clock.second;
}
