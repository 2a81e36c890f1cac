#pragma once
// The JSON payloads the MQTT publisher sends and the acknowledgements it takes (see
// docs/mqtt-topics.md).
#include <cstdint>
#include <optional>
#include <string>

#include "alarms/alarm_event.h"
#include "plant/plant_state.h"

// One reading of a module: time, status, fault, probe count, values and names by channel label.
std::string ReadingPayload(const ModuleSnapshot& module);
// A temperature word's value in a reading's payload: the text the window shows for it.
std::string ReadingWordText(std::uint16_t word);
// One alarm change, for the site's alarm topic.
std::string AlarmEventPayload(const AlarmEvent& event);
// The module's alarms not yet back to normal, for its retained alarms topic.
std::string AlarmListPayload(const ModuleSnapshot& module);

struct AckRequest {
    bool all = false;
    std::uint64_t id = 0;
    std::string user;  // empty when the message names none
};
// {"id": N} or {"all": true}, either with an optional "user"; none for anything else.
std::optional<AckRequest> ParseAckRequest(const std::string& payload);

// A topic level made of a name: MQTT's separators and wildcards become '_'.
std::string TopicLevel(const std::string& name);
