#include "plant/mqtt_payloads.h"

#include <cmath>
#include <cstdlib>
#include <nlohmann/json.hpp>

#include "record/local_time.h"
#include "record/readings_csv.h"

using nlohmann::json;

namespace {

const char* KindCode(AlarmKind kind) {
    switch (kind) {
        case AlarmKind::High: return "high";
        case AlarmKind::Low: return "low";
        case AlarmKind::RiseRate: return "rise_rate";
        case AlarmKind::SensorFault: return "sensor_fault";
        case AlarmKind::Offline: return "offline";
    }
    return "high";
}

const char* StateCode(AlarmState state) {
    switch (state) {
        case AlarmState::ActiveUnacked: return "active_unacked";
        case AlarmState::ActiveAcked: return "active_acked";
        case AlarmState::ClearedUnacked: return "cleared_unacked";
        case AlarmState::Normal: return "normal";
    }
    return "normal";
}

json Number(double value) { return std::isnan(value) ? json(nullptr) : json(value); }

json AlarmObject(const AlarmEvent& event) {
    json alarm = {
        {"id", event.id},
        {"time", IsoLocalTime(event.time)},
        {"bus", event.bus},
        {"address", event.address},
        {"module", event.module},
        {"channel", event.channel >= 0 ? json(event.channel) : json(nullptr)},
        {"label", event.channel >= 0 ? json(ChannelLabel(event.channel)) : json(nullptr)},
        {"name", event.channelName},
        {"kind", KindCode(event.kind)},
        {"value", Number(event.value)},
        {"limit", Number(event.limit)},
        {"state", StateCode(event.state)},
    };
    if (!event.user.empty()) alarm["user"] = event.user;
    return alarm;
}

}  // namespace

std::string ReadingPayload(const ModuleSnapshot& module) {
    json payload = {{"bus", module.bus}, {"address", module.address}, {"module", module.module},
                    {"status", ModuleStatusCode(module.status)}};
    json values = json::object();
    json names = json::object();
    if (module.reading) {
        const Reading& reading = *module.reading;
        payload["time"] = IsoLocalTime(reading.time);
        payload["fault"] = reading.Ok() ? json(nullptr) : json(BlockFaultText(reading.fault));
        payload["probes"] = reading.ProbeCount();
        for (int channel = 0; channel < kReadingChannels; ++channel) {
            // The value as the window shows it ("-0.0" included) rather than a computed double
            // that may print as 21.500000000000004.
            const std::string text = ChannelText(reading, channel);
            if (text.empty()) continue;
            values[ChannelLabel(channel)] = std::strtod(text.c_str(), nullptr);
        }
    } else {
        payload["time"] = nullptr;
        payload["fault"] = nullptr;
        payload["probes"] = 0;
    }
    for (int channel = 0; channel < kReadingChannels; ++channel) {
        const std::string& name = module.channelNames[static_cast<std::size_t>(channel)];
        if (!name.empty()) names[ChannelLabel(channel)] = name;
    }
    payload["values"] = std::move(values);
    payload["names"] = std::move(names);
    payload["active_alarms"] = module.activeAlarms;
    return payload.dump();
}

std::string AlarmEventPayload(const AlarmEvent& event) { return AlarmObject(event).dump(); }

std::string AlarmListPayload(const ModuleSnapshot& module) {
    json alarms = json::array();
    for (const AlarmEvent& event : module.alarms) alarms.push_back(AlarmObject(event));
    return alarms.dump();
}

std::optional<AckRequest> ParseAckRequest(const std::string& payload) {
    const json message = json::parse(payload, nullptr, false);
    if (!message.is_object()) return std::nullopt;
    AckRequest request;
    if (const auto user = message.find("user"); user != message.end()) {
        if (!user->is_string()) return std::nullopt;
        request.user = user->get<std::string>();
    }
    const auto all = message.find("all");
    const auto id = message.find("id");
    if (all != message.end() && id == message.end() && all->is_boolean() && all->get<bool>()) {
        request.all = true;
        return request;
    }
    if (id != message.end() && all == message.end() && id->is_number_unsigned()) {
        request.id = id->get<std::uint64_t>();
        return request;
    }
    return std::nullopt;
}

std::string TopicLevel(const std::string& name) {
    std::string level = name;
    for (char& c : level) {
        if (c == '/' || c == '+' || c == '#') c = '_';
    }
    return level.empty() ? "_" : level;
}
