#pragma once
// The limits one channel (or one module, for 模块离线) is watched against, and the partial sets
// of keys the site file gives at each level: the site's [alarms], a module's, a channel's.
#include <optional>

struct AlarmLimits {
    std::optional<double> high;  // 上限 °C; none: not watched
    std::optional<double> low;   // 下限 °C
    double deadband = 0.0;       // 回差 °C
    int delay = 1;               // raised at the delay-th consecutive reading beyond
    std::optional<double> rise;  // 温升速率: °C rise within riseWindowHours
    double riseWindowHours = 1.0;
    int offlineAfter = 3;        // 模块离线 at this many failed readings in a row
};

// The keys one level of the site file sets; a key left out keeps the level above's value.
struct AlarmLimitKeys {
    std::optional<double> high;
    std::optional<double> low;
    std::optional<double> deadband;
    std::optional<int> delay;
    std::optional<double> rise;
    std::optional<double> riseWindowHours;
    std::optional<int> offlineAfter;

    AlarmLimits Over(AlarmLimits base) const {
        if (high) base.high = high;
        if (low) base.low = low;
        if (deadband) base.deadband = *deadband;
        if (delay) base.delay = *delay;
        if (rise) base.rise = rise;
        if (riseWindowHours) base.riseWindowHours = *riseWindowHours;
        if (offlineAfter) base.offlineAfter = *offlineAfter;
        return base;
    }
};
