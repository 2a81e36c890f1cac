#include "plant/mqtt_payloads.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
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

// Written directly rather than through a JSON tree: a reading goes out for every module every
// cycle, and the tree, its 68 doubles and their conversions back to text were most of the
// publisher's CPU. The output is the same: keys in byte order, no spaces.
namespace {

void AppendString(std::string& out, const std::string& text) {
    out += '"';
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\b': out += "\\b"; break;
            case '\f': out += "\\f"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (byte < 0x20) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
                    out += escaped;
                } else {
                    out += c;
                }
        }
    }
    out += '"';
}

// The channels in the byte order of their labels, the order of a JSON object's keys.
const std::vector<int>& ChannelsByLabel() {
    static const std::vector<int> order = [] {
        std::vector<int> channels(kReadingChannels);
        for (int channel = 0; channel < kReadingChannels; ++channel) channels[static_cast<std::size_t>(channel)] = channel;
        std::sort(channels.begin(), channels.end(),
                  [](int a, int b) { return ChannelLabel(a) < ChannelLabel(b); });
        return channels;
    }();
    return order;
}

// `"label":` for the channel, once.
const std::string& LabelKey(int channel) {
    static const std::vector<std::string> keys = [] {
        std::vector<std::string> all;
        for (int c = 0; c < kReadingChannels; ++c) {
            std::string key;
            AppendString(key, ChannelLabel(c));
            all.push_back(key + ':');
        }
        return all;
    }();
    return keys[static_cast<std::size_t>(channel)];
}

// A temperature word as the window shows it, "%.1f" of a sign bit and tenths, built from the
// integers: the float product the window prints is never near a rounding boundary, so the digits
// are the same, without the conversion's cost for every value of every reading.
void AppendWordText(std::string& out, std::uint16_t word) {
    if ((word & 0x8000) != 0) out += '-';
    const unsigned magnitude = word & 0x7FFFu;
    char digits[8];
    int at = sizeof digits;
    digits[--at] = static_cast<char>('0' + magnitude % 10);
    digits[--at] = '.';
    unsigned whole = magnitude / 10;
    do {
        digits[--at] = static_cast<char>('0' + whole % 10);
        whole /= 10;
    } while (whole > 0);
    out.append(digits + at, sizeof digits - static_cast<std::size_t>(at));
}

}  // namespace

std::string ReadingWordText(std::uint16_t word) {
    std::string text;
    AppendWordText(text, word);
    return text;
}

std::string ReadingPayload(const ModuleSnapshot& module) {
    std::string out;
    out.reserve(2048);
    out += "{\"active_alarms\":" + std::to_string(module.activeAlarms);
    out += ",\"address\":" + std::to_string(module.address);
    out += ",\"bus\":" + std::to_string(module.bus);
    out += ",\"fault\":";
    if (module.reading && !module.reading->Ok()) {
        AppendString(out, BlockFaultText(module.reading->fault));
    } else {
        out += "null";
    }
    out += ",\"module\":";
    AppendString(out, module.module);
    out += ",\"names\":{";
    bool first = true;
    for (const int channel : ChannelsByLabel()) {
        const std::size_t index = static_cast<std::size_t>(channel);
        if (index >= module.channelNames.size() || module.channelNames[index].empty()) continue;
        if (!first) out += ',';
        first = false;
        out += LabelKey(channel);
        AppendString(out, module.channelNames[index]);
    }
    out += "},\"probes\":" + std::to_string(module.reading ? module.reading->ProbeCount() : 0);
    out += ",\"status\":";
    AppendString(out, ModuleStatusCode(module.status));
    out += ",\"time\":";
    if (module.reading) {
        AppendString(out, IsoLocalTime(module.reading->time));
    } else {
        out += "null";
    }
    out += ",\"values\":{";
    first = true;
    if (module.reading) {
        const std::vector<std::uint16_t>& words = module.reading->words;
        for (const int channel : ChannelsByLabel()) {
            // The value as the window shows it ("-0.0" included), which is a JSON number, rather
            // than a computed double that may print as 21.500000000000004.
            const auto index = static_cast<std::size_t>(channel);
            if (index >= words.size()) continue;
            if (!first) out += ',';
            first = false;
            out += LabelKey(channel);
            AppendWordText(out, words[index]);
        }
    }
    out += "}}";
    return out;
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
