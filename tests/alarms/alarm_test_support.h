#pragma once
// Readings and observers for the alarm tests.
#include <chrono>
#include <cmath>
#include <limits>
#include <mutex>
#include <string>
#include <vector>

#include "alarms/alarm_engine.h"

namespace alarm_test {

// 温度1: the first probe, after the module's own PT100 channels.
inline constexpr int kProbe1 = kReadingPt100s;
inline constexpr double kFailed = std::numeric_limits<double>::quiet_NaN();  // no reply
inline constexpr double kMissing = std::numeric_limits<double>::infinity();  // probe not in block

inline std::chrono::system_clock::time_point Start() {
    return std::chrono::system_clock::time_point(std::chrono::hours(24 * 20000));
}

inline std::uint16_t Word(double celsius) {
    const auto tenths = static_cast<std::uint16_t>(std::lround(std::fabs(celsius) * 10));
    return static_cast<std::uint16_t>(std::signbit(celsius) ? (0x8000 | tenths) : tenths);
}

// A module's reading with every channel at 20.0 °C and two probes, but `channel` at `value`.
inline SiteReading ReadingWith(int channel, double value, std::chrono::system_clock::time_point time,
                               int address = 1) {
    SiteReading site;
    site.bus = 1;
    site.address = address;
    site.module = "1号仓";
    site.reading.time = time;
    if (std::isnan(value)) {
        site.reading.fault = BlockFault::ShortHeader;
        return site;
    }
    site.reading.words.assign(kReadingPt100s + 2, Word(20.0));
    if (std::isinf(value)) {
        site.reading.words.resize(static_cast<std::size_t>(std::min(channel, kReadingPt100s + 2)));
        if (site.reading.words.size() < kReadingPt100s) site.reading.words.resize(kReadingPt100s, Word(20.0));
    } else {
        site.reading.words[static_cast<std::size_t>(channel)] = Word(value);
    }
    return site;
}

// Every change as "kind:state", joined by ";".
class ChangeLog : public AlarmObserver {
public:
    void OnAlarmChange(const AlarmEvent& event) override {
        std::lock_guard lock(mutex_);
        events.push_back(event);
        if (!pending_.empty()) pending_ += ';';
        pending_ += std::string(AlarmKindText(event.kind)) + ":" + AlarmStateText(event.state);
    }
    std::string Take() {
        std::lock_guard lock(mutex_);
        std::string taken;
        taken.swap(pending_);
        return taken;
    }
    std::vector<AlarmEvent> events;

private:
    std::mutex mutex_;
    std::string pending_;
};

}  // namespace alarm_test
