#pragma once
// One line of a registration file: "CC:28-XX-XX-XX-XX-XX-XX-XX", the SN line layout with the
// channel as its index. Leading white space is skipped; anything after the layout is ignored.
#include <array>
#include <cstdint>
#include <string>

#include "link/sn_text.h"

enum class LineVerdict {
    Ok,
    LayoutError,  // ':' or a '-' missing, or the channel not two decimal digits
    SnError,      // an SN byte not one or two of 0-9 A-F, or SN byte 1 not 0x28
};

struct RegistrationLine {
    LineVerdict verdict = LineVerdict::LayoutError;
    std::uint8_t channel = 0;
    SnBytes sn{};
    // The CMD_REGISTER_SN payload: the channel, then SN bytes 1 to 8.
    std::array<std::uint8_t, 9> payload{};
};

RegistrationLine ParseRegistrationLine(const std::string& line);
