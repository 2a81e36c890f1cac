#pragma once
// Hand-made readings and alarm events for the plant service's tests.
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "alarms/alarm_event.h"
#include "bus/site_reading.h"
#include "link/temp_word.h"

// A good reading whose channel i holds tenths[i] (PT100 inputs first).
inline SiteReading GoodReading(int bus, int address, const std::vector<int>& tenths,
                               std::chrono::system_clock::time_point time =
                                   std::chrono::system_clock::now()) {
    SiteReading site;
    site.bus = bus;
    site.address = address;
    site.module = "模块" + std::to_string(address);
    site.reading.time = time;
    for (int value : tenths) site.reading.words.push_back(TempWordFromTenths(value));
    return site;
}

inline SiteReading FailedSiteReading(int bus, int address) {
    SiteReading site;
    site.bus = bus;
    site.address = address;
    site.reading = FailedReading(BlockFault::ShortHeader, std::chrono::system_clock::now());
    return site;
}

inline AlarmEvent Alarm(std::uint64_t id, int bus, int address, AlarmState state,
                        AlarmKind kind = AlarmKind::High, int channel = 4) {
    AlarmEvent event;
    event.id = id;
    event.time = std::chrono::system_clock::now();
    event.bus = bus;
    event.address = address;
    event.module = "模块" + std::to_string(address);
    event.channel = channel;
    event.channelName = channel >= 0 ? "温度1" : "";
    event.kind = kind;
    event.value = 36.5;
    event.limit = 35.0;
    event.state = state;
    return event;
}
