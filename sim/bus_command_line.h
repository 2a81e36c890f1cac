#pragma once
// k7r2-sim's options for a bus of several modules on one line.
#include <map>
#include <string>
#include <vector>

#include "sim/fault.h"

struct SimBusCommandLine {
    std::vector<int> addresses;                // empty: a single module
    std::map<int, std::vector<Fault>> faults;  // per address
};

// "1-32", "3", "1-4,7,9-10": ascending, without repeats. False with `error` on bad input.
bool ParseAddressList(const std::string& text, std::vector<int>& addresses, std::string& error);

// Takes --addresses, --silent A, --garble A and --fault-at A:FAULT. Returns false when the
// option is not one of these; sets `error` when it is but its value is wrong.
bool ParseBusOption(const std::string& option, const std::string& value, SimBusCommandLine& bus,
                    std::string& error);
// Faults for addresses that are not on the bus; empty when all is well.
std::string CheckBusOptions(const SimBusCommandLine& bus);
