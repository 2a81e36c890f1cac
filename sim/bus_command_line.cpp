#include "sim/bus_command_line.h"

#include <algorithm>
#include <charconv>
#include <set>

#include "sim/simulated_bus.h"

namespace {

bool ParseAddress(const std::string& text, int& address) {
    const char* end = text.data() + text.size();
    const auto [at, ec] = std::from_chars(text.data(), end, address);
    return !text.empty() && ec == std::errc() && at == end && address >= 0 && address <= 255;
}

}  // namespace

bool ParseAddressList(const std::string& text, std::vector<int>& addresses, std::string& error) {
    std::set<int> seen;
    std::size_t from = 0;
    while (from <= text.size()) {
        const std::size_t comma = std::min(text.find(',', from), text.size());
        const std::string item = text.substr(from, comma - from);
        const std::size_t dash = item.find('-');
        int first = 0;
        int last = 0;
        const bool ok = dash == std::string::npos
                            ? ParseAddress(item, first) && ParseAddress(item, last)
                            : ParseAddress(item.substr(0, dash), first) &&
                                  ParseAddress(item.substr(dash + 1), last) && first <= last;
        if (!ok) {
            error = "addresses are A, A-B or a comma-separated list of them within 0..255, not '" +
                    text + "'";
            return false;
        }
        for (int address = first; address <= last; ++address) seen.insert(address);
        from = comma + 1;
    }
    addresses.assign(seen.begin(), seen.end());
    return true;
}

bool ParseBusOption(const std::string& option, const std::string& value, SimBusCommandLine& bus,
                    std::string& error) {
    if (option == "--addresses") {
        ParseAddressList(value, bus.addresses, error);
        return true;
    }
    if (option != "--silent" && option != "--garble" && option != "--fault-at") return false;
    std::string addressText = value;
    std::string faultText;
    if (option == "--fault-at") {
        const std::size_t colon = value.find(':');
        addressText = value.substr(0, colon);
        faultText = colon == std::string::npos ? "" : value.substr(colon + 1);
    }
    int address = 0;
    if (!ParseAddress(addressText, address)) {
        error = option + " takes an address 0..255" +
                (option == "--fault-at" ? std::string(" and a fault, A:FAULT") : std::string()) +
                ", not '" + value + "'";
        return true;
    }
    std::vector<Fault>& faults = bus.faults[address];
    if (option == "--silent") {
        const auto silent = SilentFaults();
        faults.insert(faults.end(), silent.begin(), silent.end());
    } else if (option == "--garble") {
        const auto garbling = GarblingFaults();
        faults.insert(faults.end(), garbling.begin(), garbling.end());
    } else if (const auto fault = ParseFaultOption(faultText, error)) {
        faults.push_back(*fault);
    }
    return true;
}

std::string CheckBusOptions(const SimBusCommandLine& bus) {
    for (const auto& [address, faults] : bus.faults) {
        if (!std::binary_search(bus.addresses.begin(), bus.addresses.end(), address)) {
            return "address " + std::to_string(address) + " has faults but is not in --addresses";
        }
    }
    return {};
}
