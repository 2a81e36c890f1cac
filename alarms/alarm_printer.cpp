#include "alarms/alarm_printer.h"

#include <cmath>
#include <cstdio>

#include "record/local_time.h"
#include "record/readings_csv.h"

namespace {

std::string Shown(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

nlohmann::ordered_json NumberOrNull(double value) {
    return std::isnan(value) ? nlohmann::ordered_json() : nlohmann::ordered_json(value);
}

}  // namespace

std::string AlarmText(const AlarmEvent& event) {
    std::string text = IsoLocalTime(event.time) + " 报警 #" + std::to_string(event.id) + " 总线 " +
                       std::to_string(event.bus) + " 地址 " + std::to_string(event.address);
    if (!event.module.empty()) text += " " + event.module;
    if (event.channel >= 0) text += " " + event.channelName;
    text += std::string(" ") + AlarmKindText(event.kind);
    if (!std::isnan(event.value)) text += " 值 " + Shown(event.value);
    if (!std::isnan(event.limit)) text += " 限值 " + Shown(event.limit);
    text += std::string(" ") + AlarmStateText(event.state);
    if (!event.user.empty()) text += " 用户 " + event.user;
    return text;
}

nlohmann::ordered_json AlarmJson(const AlarmEvent& event) {
    const bool channel = event.channel >= 0;
    return {
        {"id", event.id},
        {"time", IsoLocalTime(event.time)},
        {"bus", event.bus},
        {"address", event.address},
        {"module", event.module},
        {"channel", channel ? nlohmann::ordered_json(event.channel) : nlohmann::ordered_json()},
        {"label", channel ? nlohmann::ordered_json(ChannelLabel(event.channel))
                          : nlohmann::ordered_json()},
        {"name", event.channelName},
        {"kind", AlarmKindText(event.kind)},
        {"value", NumberOrNull(event.value)},
        {"limit", NumberOrNull(event.limit)},
        {"state", AlarmStateText(event.state)},
        {"user", event.user},
    };
}

void AlarmPrinter::OnAlarmChange(const AlarmEvent& event) {
    const std::string line = json_ ? AlarmJson(event).dump() : AlarmText(event);
    LockHold lock(mutex_);
    out_ << line << '\n' << std::flush;
}
