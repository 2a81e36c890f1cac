#include "record/local_time.h"

#include <cstdio>
#include <cstdlib>

#include "record/local_time_format.h"

std::string IsoLocalTime(std::chrono::system_clock::time_point time) {
    const LocalFields fields = LocalFieldsOf(time);
    const std::tm& t = fields.local;
    // Milliseconds of the instant itself, also before 1970 where the count is negative.
    const auto sinceEpoch =
        std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch()).count();
    const long long millis = ((sinceEpoch % 1000) + 1000) % 1000;
    const long offsetMinutes = std::labs(fields.utcOffsetSeconds) / 60;
    char text[96];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03lld%c%02ld:%02ld",
                  t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec, millis,
                  fields.utcOffsetSeconds < 0 ? '-' : '+', offsetMinutes / 60, offsetMinutes % 60);
    return text;
}

std::string CompactLocalTime(std::chrono::system_clock::time_point time) {
    const std::tm t = LocalFieldsOf(time).local;
    char text[32];
    std::snprintf(text, sizeof text, "%04d%02d%02d_%02d%02d%02d", t.tm_year + 1900, t.tm_mon + 1,
                  t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
    return text;
}
