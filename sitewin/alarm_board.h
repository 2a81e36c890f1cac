#pragma once
// What the site window shows of the alarms: every alarm that is not normal, kept by module and
// channel from the engine's changes, the worst one of each cell and module, its colour and the
// words a screen reader reads for it. No GUI toolkit here.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "alarms/alarm_event.h"

// Colours 0xAARRGGBB: active and unacknowledged red, acknowledged amber, cleared and not yet
// acknowledged blue; a cell without alarm keeps its plain colour.
std::uint32_t AlarmStateColour(AlarmState state);

class AlarmBoard {
public:
    // Takes an alarm's latest change: a normal one leaves the board.
    void Apply(const AlarmEvent& event);
    // Starts again from the engine's open alarms.
    void Reset(const std::vector<AlarmEvent>& open);

    // Oldest first.
    std::vector<AlarmEvent> Alarms() const;
    std::optional<AlarmEvent> Find(std::uint64_t id) const;
    int Count() const { return static_cast<int>(alarms_.size()); }
    int UnackedCount() const;
    int ActiveCount() const;

    // The worst state among the channel's alarms (channel -1: the module's own, 模块离线), and
    // among the module's with all its channels'. Nothing when there is no alarm.
    std::optional<AlarmState> Worst(int bus, int address, int channel) const;
    std::optional<AlarmState> WorstOfModule(int bus, int address) const;
    bool Unacked(int bus, int address, int channel) const;
    bool ModuleUnacked(int bus, int address) const;

    // The text column beside a cell or module: "" without alarm, else "!" while any of them is
    // unacknowledged, then the worst alarm's kind and state ("!超上限 报警未确认"), with "+N"
    // for the others.
    std::string Marker(int bus, int address, int channel) const;
    std::string ModuleMarker(int bus, int address) const;
    // The window's one-line summary, "报警: 无" or "报警: 3 个 (2 个未确认)".
    std::string Summary() const;

private:
    using Key = std::tuple<int, int, int>;  // bus, address, channel
    std::string MarkerOf(const std::vector<const AlarmEvent*>& events) const;
    std::vector<const AlarmEvent*> At(int bus, int address, int channel) const;
    std::vector<const AlarmEvent*> OfModule(int bus, int address) const;

    std::map<std::uint64_t, AlarmEvent> alarms_;
    std::multimap<Key, std::uint64_t> byCell_;
};

// How bad a state is to the eye: higher is worse; normal is 0.
int AlarmStateRank(AlarmState state);
