#include "alarms/site_alarm_config.h"

#include <cmath>
#include <cstdio>
#include <sstream>

#include "alarms/site_alarm_toml.h"
#include "link/fopen_utf8.h"
#include "record/readings_csv.h"

namespace {

// A key's number, integer or float; false (with `error`) when it is there but not a number.
bool NumberKey(const toml::value& table, const char* key, std::optional<double>& out,
               const std::string& where, std::string& error) {
    if (!table.contains(key)) return true;
    const toml::value& value = table.at(key);
    if (value.is_integer()) {
        out = static_cast<double>(value.as_integer());
    } else if (value.is_floating() && std::isfinite(value.as_floating())) {
        out = value.as_floating();
    } else {
        error = where + " 的 " + key + " 须为数值";
        return false;
    }
    return true;
}

bool CountKey(const toml::value& table, const char* key, std::optional<int>& out,
              const std::string& where, std::string& error) {
    if (!table.contains(key)) return true;
    const toml::value& value = table.at(key);
    if (!value.is_integer() || value.as_integer() < 1 || value.as_integer() > 1000000) {
        error = where + " 的 " + key + " 须为 1 到 1000000 的整数";
        return false;
    }
    out = static_cast<int>(value.as_integer());
    return true;
}

std::optional<AlarmLimitKeys> LimitKeys(const toml::value& table, const std::string& where,
                                        std::string& error) {
    AlarmLimitKeys keys;
    if (!table.is_table()) {
        error = where + " 须为表";
        return std::nullopt;
    }
    if (!NumberKey(table, "high", keys.high, where, error) ||
        !NumberKey(table, "low", keys.low, where, error) ||
        !NumberKey(table, "deadband", keys.deadband, where, error) ||
        !CountKey(table, "delay", keys.delay, where, error) ||
        !NumberKey(table, "rise", keys.rise, where, error) ||
        !NumberKey(table, "rise_window_h", keys.riseWindowHours, where, error) ||
        !CountKey(table, "offline_after", keys.offlineAfter, where, error)) {
        return std::nullopt;
    }
    if (keys.deadband && *keys.deadband < 0) {
        error = where + " 的 deadband 不能为负";
        return std::nullopt;
    }
    if (keys.rise && *keys.rise <= 0) {
        error = where + " 的 rise 须大于 0";
        return std::nullopt;
    }
    if (keys.riseWindowHours && *keys.riseWindowHours <= 0) {
        error = where + " 的 rise_window_h 须大于 0";
        return std::nullopt;
    }
    return keys;
}

int ChannelOfLabel(const std::string& label) {
    for (int channel = 0; channel < kReadingChannels; ++channel) {
        if (ChannelLabel(channel) == label) return channel;
    }
    return -1;
}

bool ReadModule(const toml::value& module, int bus, const AlarmLimits& site,
                SiteAlarmConfig& config, std::string& error) {
    const std::string where = "总线 " + std::to_string(bus) + " 的模块";
    if (!module.is_table() || !module.contains("address") || !module.at("address").is_integer() ||
        module.at("address").as_integer() < 0 || module.at("address").as_integer() > 255) {
        error = where + "须有 0 到 255 的 address";
        return false;
    }
    ModuleAlarmConfig entry;
    entry.bus = bus;
    entry.address = static_cast<int>(module.at("address").as_integer());
    const std::string here = where + " " + std::to_string(entry.address);
    if (module.contains("name") && module.at("name").is_string()) {
        entry.name = module.at("name").as_string().str;
    }
    entry.module = site;
    if (module.contains("alarms")) {
        const auto keys = LimitKeys(module.at("alarms"), here + " [alarms]", error);
        if (!keys) return false;
        entry.module = keys->Over(site);
    }
    entry.channels.fill(entry.module);
    for (int channel = 0; channel < kReadingChannels; ++channel) {
        entry.channelNames[static_cast<std::size_t>(channel)] = ChannelLabel(channel);
    }
    if (module.contains("channels") && module.at("channels").is_table()) {
        for (const auto& [label, name] : module.at("channels").as_table()) {
            const int channel = ChannelOfLabel(label);
            if (channel >= 0 && name.is_string() && !name.as_string().str.empty()) {
                entry.channelNames[static_cast<std::size_t>(channel)] = name.as_string().str;
            }
        }
    }
    if (module.contains("channel_alarms")) {
        const toml::value& channels = module.at("channel_alarms");
        if (!channels.is_table()) {
            error = here + " 的 channel_alarms 须为表";
            return false;
        }
        for (const auto& [label, table] : channels.as_table()) {
            const int channel = ChannelOfLabel(label);
            if (channel < 0) {
                error = here + " 的 channel_alarms 中没有通道 \"" + label + "\"";
                return false;
            }
            const auto keys = LimitKeys(table, here + " 通道 " + label, error);
            if (!keys) return false;
            entry.channels[static_cast<std::size_t>(channel)] = keys->Over(entry.module);
        }
    }
    for (const ModuleAlarmConfig& other : config.modules) {
        if (other.bus == bus && other.address == entry.address) {
            error = "总线 " + std::to_string(bus) + " 上地址 " + std::to_string(entry.address) +
                    " 重复";
            return false;
        }
    }
    config.modules.push_back(std::move(entry));
    return true;
}

}  // namespace

const ModuleAlarmConfig* SiteAlarmConfig::Find(int bus, int address) const {
    for (const ModuleAlarmConfig& module : modules) {
        if (module.bus == bus && module.address == address) return &module;
    }
    return nullptr;
}

ModuleAlarmConfig UniformModule(int bus, int address, const std::string& name,
                                const AlarmLimits& limits) {
    ModuleAlarmConfig module;
    module.bus = bus;
    module.address = address;
    module.name = name;
    module.module = limits;
    module.channels.fill(limits);
    for (int channel = 0; channel < kReadingChannels; ++channel) {
        module.channelNames[static_cast<std::size_t>(channel)] = ChannelLabel(channel);
    }
    return module;
}

std::optional<SiteAlarmConfig> SiteAlarmConfigFromToml(const toml::value& site, std::string& error) {
    SiteAlarmConfig config;
    AlarmLimits defaults;
    if (!site.is_table()) {
        error = "站点文件须为表";
        return std::nullopt;
    }
    if (site.contains("alarms")) {
        const auto keys = LimitKeys(site.at("alarms"), "[alarms]", error);
        if (!keys) return std::nullopt;
        defaults = keys->Over(defaults);
    }
    if (!site.contains("bus")) return config;
    if (!site.at("bus").is_array()) {
        error = "bus 须为表数组 [[bus]]";
        return std::nullopt;
    }
    int bus = 0;
    for (const toml::value& busTable : site.at("bus").as_array()) {
        ++bus;
        if (!busTable.is_table() || !busTable.contains("module")) continue;
        if (!busTable.at("module").is_array()) {
            error = "总线 " + std::to_string(bus) + " 的 module 须为表数组 [[bus.module]]";
            return std::nullopt;
        }
        for (const toml::value& module : busTable.at("module").as_array()) {
            if (!ReadModule(module, bus, defaults, config, error)) return std::nullopt;
        }
    }
    return config;
}

std::optional<SiteAlarmConfig> ParseSiteAlarmConfig(const std::string& text,
                                                    const std::string& fileName,
                                                    std::string& error) {
    try {
        std::istringstream stream(text);
        return SiteAlarmConfigFromToml(toml::parse(stream, fileName), error);
    } catch (const std::exception& problem) {
        error = "站点文件格式错误: " + std::string(problem.what());
        return std::nullopt;
    }
}

std::optional<SiteAlarmConfig> ReadSiteAlarmConfig(const std::string& path, std::string& error) {
    FILE* file = FopenUtf8(path, "rb");
    if (file == nullptr) {
        error = "无法打开站点文件: " + path;
        return std::nullopt;
    }
    std::string text;
    char buffer[4096];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, got);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) {
        error = "读取站点文件失败: " + path;
        return std::nullopt;
    }
    return ParseSiteAlarmConfig(text, path, error);
}
