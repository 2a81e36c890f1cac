#include "sitewin/alarm_board.h"

#include <algorithm>

int AlarmStateRank(AlarmState state) {
    switch (state) {
        case AlarmState::ActiveUnacked: return 3;
        case AlarmState::ActiveAcked: return 2;
        case AlarmState::ClearedUnacked: return 1;
        case AlarmState::Normal: return 0;
    }
    return 0;
}

std::uint32_t AlarmStateColour(AlarmState state) {
    switch (state) {
        case AlarmState::ActiveUnacked: return 0xFFE53935;
        case AlarmState::ActiveAcked: return 0xFFFFB300;
        case AlarmState::ClearedUnacked: return 0xFF64B5F6;
        case AlarmState::Normal: break;
    }
    return 0xFFFFFFFF;
}

void AlarmBoard::Apply(const AlarmEvent& event) {
    const auto known = alarms_.find(event.id);
    if (known != alarms_.end()) {
        const Key key{known->second.bus, known->second.address, known->second.channel};
        for (auto [it, end] = byCell_.equal_range(key); it != end; ++it) {
            if (it->second == event.id) {
                byCell_.erase(it);
                break;
            }
        }
        alarms_.erase(known);
    }
    if (event.state == AlarmState::Normal) return;
    alarms_[event.id] = event;
    byCell_.emplace(Key{event.bus, event.address, event.channel}, event.id);
}

void AlarmBoard::Reset(const std::vector<AlarmEvent>& open) {
    alarms_.clear();
    byCell_.clear();
    for (const AlarmEvent& event : open) Apply(event);
}

std::vector<AlarmEvent> AlarmBoard::Alarms() const {
    std::vector<AlarmEvent> list;
    list.reserve(alarms_.size());
    for (const auto& [id, event] : alarms_) list.push_back(event);
    return list;
}

std::optional<AlarmEvent> AlarmBoard::Find(std::uint64_t id) const {
    const auto it = alarms_.find(id);
    if (it == alarms_.end()) return std::nullopt;
    return it->second;
}

int AlarmBoard::UnackedCount() const {
    return static_cast<int>(std::count_if(alarms_.begin(), alarms_.end(), [](const auto& entry) {
        return entry.second.state != AlarmState::ActiveAcked;
    }));
}

int AlarmBoard::ActiveCount() const {
    return static_cast<int>(std::count_if(alarms_.begin(), alarms_.end(), [](const auto& entry) {
        return entry.second.state != AlarmState::ClearedUnacked;
    }));
}

std::vector<const AlarmEvent*> AlarmBoard::At(int bus, int address, int channel) const {
    std::vector<const AlarmEvent*> events;
    for (auto [it, end] = byCell_.equal_range(Key{bus, address, channel}); it != end; ++it) {
        events.push_back(&alarms_.at(it->second));
    }
    return events;
}

std::vector<const AlarmEvent*> AlarmBoard::OfModule(int bus, int address) const {
    std::vector<const AlarmEvent*> events;
    for (auto it = byCell_.lower_bound(Key{bus, address, -1});
         it != byCell_.end() && std::get<0>(it->first) == bus && std::get<1>(it->first) == address;
         ++it) {
        events.push_back(&alarms_.at(it->second));
    }
    return events;
}

namespace {

const AlarmEvent* WorstOf(const std::vector<const AlarmEvent*>& events) {
    const AlarmEvent* worst = nullptr;
    for (const AlarmEvent* event : events) {
        if (worst == nullptr || AlarmStateRank(event->state) > AlarmStateRank(worst->state)) {
            worst = event;
        }
    }
    return worst;
}

bool AnyUnacked(const std::vector<const AlarmEvent*>& events) {
    return std::any_of(events.begin(), events.end(), [](const AlarmEvent* event) {
        return event->state != AlarmState::ActiveAcked;
    });
}

}  // namespace

std::optional<AlarmState> AlarmBoard::Worst(int bus, int address, int channel) const {
    const AlarmEvent* worst = WorstOf(At(bus, address, channel));
    if (worst == nullptr) return std::nullopt;
    return worst->state;
}

std::optional<AlarmState> AlarmBoard::WorstOfModule(int bus, int address) const {
    const AlarmEvent* worst = WorstOf(OfModule(bus, address));
    if (worst == nullptr) return std::nullopt;
    return worst->state;
}

bool AlarmBoard::Unacked(int bus, int address, int channel) const {
    return AnyUnacked(At(bus, address, channel));
}

bool AlarmBoard::ModuleUnacked(int bus, int address) const {
    return AnyUnacked(OfModule(bus, address));
}

std::string AlarmBoard::MarkerOf(const std::vector<const AlarmEvent*>& events) const {
    const AlarmEvent* worst = WorstOf(events);
    if (worst == nullptr) return "";
    std::string text = AnyUnacked(events) ? "!" : "";
    text += AlarmKindText(worst->kind);
    text += ' ';
    text += AlarmStateText(worst->state);
    if (events.size() > 1) text += " +" + std::to_string(events.size() - 1);
    return text;
}

std::string AlarmBoard::Marker(int bus, int address, int channel) const {
    return MarkerOf(At(bus, address, channel));
}

std::string AlarmBoard::ModuleMarker(int bus, int address) const {
    return MarkerOf(OfModule(bus, address));
}

std::string AlarmBoard::Summary() const {
    if (alarms_.empty()) return "报警: 无";
    std::string text = "报警: " + std::to_string(alarms_.size()) + " 个";
    const int unacked = UnackedCount();
    if (unacked > 0) text += " (" + std::to_string(unacked) + " 个未确认)";
    return text;
}
