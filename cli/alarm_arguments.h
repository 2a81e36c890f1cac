#pragma once
// The arguments of `k7r2 alarms list` and `k7r2 alarms ack`.
#include <cstdint>
#include <string>
#include <vector>

struct AlarmsArguments {
    bool ack = false;     // ack, else list
    std::string site;     // the site file; the journal is beside it
    bool active = false;  // list: only alarms whose condition holds
    std::string since;    // list: alarms raised since this time (any state)
    bool all = false;     // ack: every alarm waiting for acknowledgement
    std::vector<std::uint64_t> ids;
};
