#pragma once
// A channel's own alarm keys in the site file (its module's `channel_alarms."<label>"` table),
// read and written through the site file's own writer, so that the rest of the file stays.
#include <string>

#include "alarms/alarm_limits.h"
#include "site/site_file.h"

// What the file sets for this channel itself; nothing set when there is no such table.
AlarmLimitKeys ChannelLimitKeys(const SiteFile& file, int busIndex, int address, int channel);

// Sets the channel's keys (a key left out is removed; no key at all removes the table), checks
// that the site's alarm settings still read, and saves the file to `path`. False with a
// Chinese `error`, the file and `file` untouched.
bool SaveChannelLimits(SiteFile& file, const std::string& path, int busIndex, int address,
                       int channel, const AlarmLimitKeys& keys, std::string& error);

// The limits a channel is watched against now, all levels taken together, in one line:
// "现行: 上限 25, 下限 无, 回差 0.5, 延时 2 次, 温升 5 °C/24 小时".
std::string EffectiveLimitsText(const AlarmLimits& limits);

// The keys as the limits dialog shows them ("" for a key not set) and back: false with a
// Chinese `error` naming the field for text that is not a number or out of range.
struct AlarmLimitTexts {
    std::string high, low, deadband, delay, rise, window;
};
AlarmLimitTexts LimitTexts(const AlarmLimitKeys& keys);
bool ParseLimitTexts(const AlarmLimitTexts& texts, AlarmLimitKeys& keys, std::string& error);
