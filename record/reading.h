#pragma once
// One reading of the module's temperatures as it leaves the window (or the command-line tool):
// when it ended, how it went, and the words of a good block.
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "link/frame.h"
#include "link/temperature_block.h"

constexpr int kReadingPt100s = 4;
constexpr int kReadingProbes = 64;
constexpr int kReadingChannels = kReadingPt100s + kReadingProbes;  // 68

struct Reading {
    std::chrono::system_clock::time_point time;  // the end of the exchange
    BlockFault fault = BlockFault::None;
    // The temperature words of a good block: the 4 PT100 inputs, then the block's probes.
    // Empty after a failure.
    std::vector<std::uint16_t> words;

    bool Ok() const { return fault == BlockFault::None; }
    int ProbeCount() const {
        return words.size() > kReadingPt100s ? static_cast<int>(words.size()) - kReadingPt100s : 0;
    }
};

// The reading of a verified temperature block; a block announcing more than 64 probes keeps the
// first 64, as the window shows them.
Reading ReadingFromBlock(const ReplyBlock& block, std::chrono::system_clock::time_point time);
Reading FailedReading(BlockFault fault, std::chrono::system_clock::time_point time);

// "%.1f" of a channel's word as the window's lists show it ("-0.0" included); channel 0..67,
// PT100 inputs first. Empty when the reading has no value for it.
std::string ChannelText(const Reading& reading, int channel);
