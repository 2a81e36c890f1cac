#pragma once
// What the alarm engine needs from the site file: for every module its bus, address and name,
// its channels' names and the limits each channel is watched against.
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "alarms/alarm_limits.h"
#include "record/reading.h"

struct ModuleAlarmConfig {
    int bus = 1;
    int address = 0;
    std::string name;
    AlarmLimits module;  // site defaults with the module's keys; offlineAfter counts here
    std::array<AlarmLimits, kReadingChannels> channels{};
    std::array<std::string, kReadingChannels> channelNames{};  // site file name, else the label
};

struct SiteAlarmConfig {
    std::vector<ModuleAlarmConfig> modules;
    const ModuleAlarmConfig* Find(int bus, int address) const;
};

// Every module configured with `site` for every channel (tests, and a site file without the
// alarm tables gives the same with empty limits).
ModuleAlarmConfig UniformModule(int bus, int address, const std::string& name,
                                const AlarmLimits& limits);

// Reads the alarm tables of a site file: [alarms], and per [[bus.module]] its `alarms` and
// `channel_alarms."<label>"` tables, with `channels` for the names. Nothing, with a Chinese
// `error`, when the file cannot be read or a key has the wrong type or an impossible value.
std::optional<SiteAlarmConfig> ReadSiteAlarmConfig(const std::string& path, std::string& error);
std::optional<SiteAlarmConfig> ParseSiteAlarmConfig(const std::string& text,
                                                    const std::string& fileName,
                                                    std::string& error);
