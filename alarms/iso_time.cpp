#include "alarms/iso_time.h"

#include <ctime>

namespace {

bool Digits(const std::string& text, std::size_t at, std::size_t count, int& value) {
    if (at + count > text.size()) return false;
    value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        value = value * 10 + (text[i] - '0');
    }
    return true;
}

}  // namespace

std::optional<std::chrono::system_clock::time_point> ParseIsoTime(const std::string& text) {
    using namespace std::chrono;
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, millis = 0;
    if (!Digits(text, 0, 4, year) || text.size() < 10 || text[4] != '-' ||
        !Digits(text, 5, 2, month) || text[7] != '-' || !Digits(text, 8, 2, day)) {
        return std::nullopt;
    }
    std::size_t at = 10;
    if (at < text.size()) {
        if ((text[at] != 'T' && text[at] != ' ') || !Digits(text, at + 1, 2, hour) ||
            at + 3 >= text.size() || text[at + 3] != ':' || !Digits(text, at + 4, 2, minute)) {
            return std::nullopt;
        }
        at += 6;
        if (at < text.size() && text[at] == ':') {
            if (!Digits(text, at + 1, 2, second)) return std::nullopt;
            at += 3;
            if (at < text.size() && text[at] == '.') {
                std::size_t end = at + 1;
                while (end < text.size() && text[end] >= '0' && text[end] <= '9') ++end;
                if (end == at + 1) return std::nullopt;
                int scale = 100;
                for (std::size_t i = at + 1; i < end && i < at + 4; ++i, scale /= 10) {
                    millis += (text[i] - '0') * scale;
                }
                at = end;
            }
        }
    }
    const year_month_day date{std::chrono::year(year), std::chrono::month(static_cast<unsigned>(month)),
                              std::chrono::day(static_cast<unsigned>(day))};
    if (!date.ok() || hour > 23 || minute > 59 || second > 60) return std::nullopt;
    const auto clock = hours(hour) + minutes(minute) + seconds(second) + milliseconds(millis);
    if (at == text.size()) {
        // Local time: the C library knows the zone's rules for that day.
        std::tm fields{};
        fields.tm_year = year - 1900;
        fields.tm_mon = month - 1;
        fields.tm_mday = day;
        fields.tm_hour = hour;
        fields.tm_min = minute;
        fields.tm_sec = second;
        fields.tm_isdst = -1;
        const std::time_t local = std::mktime(&fields);
        if (local == static_cast<std::time_t>(-1)) return std::nullopt;
        return system_clock::from_time_t(local) + milliseconds(millis);
    }
    minutes offset{0};
    if (text[at] == 'Z' && at + 1 == text.size()) {
        offset = minutes(0);
    } else if ((text[at] == '+' || text[at] == '-') && text.size() == at + 6 && text[at + 3] == ':') {
        int offsetHours = 0, offsetMinutes = 0;
        if (!Digits(text, at + 1, 2, offsetHours) || !Digits(text, at + 4, 2, offsetMinutes)) {
            return std::nullopt;
        }
        offset = hours(offsetHours) + minutes(offsetMinutes);
        if (text[at] == '-') offset = -offset;
    } else {
        return std::nullopt;
    }
    return system_clock::time_point(sys_days(date).time_since_epoch()) + clock - offset;
}
