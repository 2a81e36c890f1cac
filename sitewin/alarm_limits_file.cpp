#include "sitewin/alarm_limits_file.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "alarms/site_alarm_config.h"
#include "record/readings_csv.h"

namespace {

// The module's table in the document, or null.
template <typename Value>
Value* ModuleTable(Value& document, int busIndex, int address) {
    if (!document.is_table() || !document.contains("bus") || !document.at("bus").is_array()) {
        return nullptr;
    }
    auto& buses = document.at("bus").as_array();
    if (busIndex < 0 || busIndex >= static_cast<int>(buses.size())) return nullptr;
    auto& bus = buses[static_cast<std::size_t>(busIndex)];
    if (!bus.is_table() || !bus.contains("module") || !bus.at("module").is_array()) return nullptr;
    for (auto& module : bus.at("module").as_array()) {
        if (module.is_table() && module.contains("address") && module.at("address").is_integer() &&
            module.at("address").as_integer() == address) {
            return &module;
        }
    }
    return nullptr;
}

template <typename Value>
std::optional<double> Number(const Value& table, const char* key) {
    if (!table.contains(key)) return std::nullopt;
    const auto& value = table.at(key);
    if (value.is_integer()) return static_cast<double>(value.as_integer());
    if (value.is_floating()) return value.as_floating();
    return std::nullopt;
}

std::string Text(std::optional<double> value) {
    if (!value) return "";
    char text[32];
    std::snprintf(text, sizeof text, "%g", *value);
    return text;
}

bool ParseNumber(const std::string& text, const char* field, std::optional<double>& out,
                 std::string& error) {
    out.reset();
    if (text.find_first_not_of(' ') == std::string::npos) return true;
    char* end = nullptr;
    errno = 0;
    const double value = std::strtod(text.c_str(), &end);
    while (end != nullptr && *end == ' ') ++end;
    if (end == text.c_str() || *end != '\0' || errno != 0 || !std::isfinite(value)) {
        error = std::string(field) + "须为数值!";
        return false;
    }
    out = value == 0.0 ? 0.0 : value;  // -0 is written as 0
    return true;
}

}  // namespace

AlarmLimitKeys ChannelLimitKeys(const SiteFile& file, int busIndex, int address, int channel) {
    AlarmLimitKeys keys;
    const SiteToml* module = ModuleTable(file.Document(), busIndex, address);
    const std::string label = ChannelLabel(channel);
    if (module == nullptr || !module->contains("channel_alarms")) return keys;
    const SiteToml& channels = module->at("channel_alarms");
    if (!channels.is_table() || !channels.contains(label) || !channels.at(label).is_table()) return keys;
    const SiteToml& table = channels.at(label);
    keys.high = Number(table, "high");
    keys.low = Number(table, "low");
    keys.deadband = Number(table, "deadband");
    if (const auto delay = Number(table, "delay")) keys.delay = static_cast<int>(*delay);
    keys.rise = Number(table, "rise");
    keys.riseWindowHours = Number(table, "rise_window_h");
    return keys;
}

bool SaveChannelLimits(SiteFile& file, const std::string& path, int busIndex, int address,
                       int channel, const AlarmLimitKeys& keys, std::string& error) {
    SiteToml document = file.Document();
    SiteToml* module = ModuleTable(document, busIndex, address);
    if (module == nullptr || channel < 0 || channel >= kReadingChannels) {
        error = "站点文件中没有这个模块";
        return false;
    }
    auto& entries = module->as_table();
    const std::string label = ChannelLabel(channel);
    if (entries.count("channel_alarms") == 0) entries["channel_alarms"] = SiteToml(toml::table());
    auto& channels = entries["channel_alarms"].as_table();
    // Keys of other parts of the program in the channel's table stay.
    SiteToml table = channels.count(label) != 0 && channels.at(label).is_table()
                         ? channels.at(label)
                         : SiteToml(toml::table());
    auto& values = table.as_table();
    const auto put = [&values](const char* key, const auto& value) {
        if (value) {
            values[key] = SiteToml(*value);
        } else {
            values.erase(key);
        }
    };
    put("high", keys.high);
    put("low", keys.low);
    put("deadband", keys.deadband);
    put("delay", keys.delay ? std::optional<std::int64_t>(*keys.delay) : std::nullopt);
    put("rise", keys.rise);
    put("rise_window_h", keys.riseWindowHours);
    if (values.empty()) {
        channels.erase(label);
    } else {
        channels[label] = table;
    }
    if (channels.empty()) entries.erase("channel_alarms");

    const std::string text = toml::format(document, 200);
    std::string problem;
    if (!ParseSiteAlarmConfig(text, path, problem)) {
        error = "限值有误: " + problem;
        return false;
    }
    SiteFile changed;
    if (!changed.Parse(text, path, problem)) {
        error = "站点文件有误: " + problem;
        return false;
    }
    if (!changed.Save(path, error)) return false;
    file = std::move(changed);
    return true;
}

std::string EffectiveLimitsText(const AlarmLimits& limits) {
    const auto limit = [](const std::optional<double>& value) { return value ? Text(value) : "无"; };
    std::string text = "现行: 上限 " + limit(limits.high) + ", 下限 " + limit(limits.low) +
                       ", 回差 " + Text(limits.deadband) + ", 延时 " + std::to_string(limits.delay) +
                       " 次, 温升 ";
    text += limits.rise ? Text(limits.rise) + " °C/" + Text(limits.riseWindowHours) + " 小时" : "无";
    return text;
}

AlarmLimitTexts LimitTexts(const AlarmLimitKeys& keys) {
    AlarmLimitTexts texts;
    texts.high = Text(keys.high);
    texts.low = Text(keys.low);
    texts.deadband = Text(keys.deadband);
    texts.delay = keys.delay ? std::to_string(*keys.delay) : "";
    texts.rise = Text(keys.rise);
    texts.window = Text(keys.riseWindowHours);
    return texts;
}

bool ParseLimitTexts(const AlarmLimitTexts& texts, AlarmLimitKeys& keys, std::string& error) {
    AlarmLimitKeys parsed;
    std::optional<double> delay;
    if (!ParseNumber(texts.high, "上限", parsed.high, error) ||
        !ParseNumber(texts.low, "下限", parsed.low, error) ||
        !ParseNumber(texts.deadband, "回差", parsed.deadband, error) ||
        !ParseNumber(texts.delay, "延时", delay, error) ||
        !ParseNumber(texts.rise, "温升速率", parsed.rise, error) ||
        !ParseNumber(texts.window, "温升窗口", parsed.riseWindowHours, error)) {
        return false;
    }
    if (delay) {
        if (*delay != std::floor(*delay) || *delay < 1 || *delay > 1000000) {
            error = "延时须为 1 到 1000000 的整数!";
            return false;
        }
        parsed.delay = static_cast<int>(*delay);
    }
    if (parsed.high && parsed.low && *parsed.low >= *parsed.high) {
        error = "下限须小于上限!";
        return false;
    }
    if (parsed.deadband && *parsed.deadband < 0) {
        error = "回差不能为负!";
        return false;
    }
    if ((parsed.rise && *parsed.rise <= 0) || (parsed.riseWindowHours && *parsed.riseWindowHours <= 0)) {
        error = "温升速率和温升窗口须大于 0!";
        return false;
    }
    keys = parsed;
    return true;
}
