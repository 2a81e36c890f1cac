#include "record/reading.h"

#include "link/temp_word.h"

Reading ReadingFromBlock(const ReplyBlock& block, std::chrono::system_clock::time_point time) {
    Reading reading;
    reading.time = time;
    const int words = (block[5] * 256 + block[6]) / 2;
    const int kept = words < kReadingChannels ? words : kReadingChannels;
    reading.words.reserve(static_cast<std::size_t>(kept));
    for (int i = 0; i < kept; ++i) {
        const int high = kFrameHeaderSize + 2 * i;
        reading.words.push_back(static_cast<std::uint16_t>(block[high] * 256 + block[high + 1]));
    }
    return reading;
}

Reading FailedReading(BlockFault fault, std::chrono::system_clock::time_point time) {
    Reading reading;
    reading.time = time;
    reading.fault = fault;
    return reading;
}

std::string ChannelText(const Reading& reading, int channel) {
    if (channel < 0 || static_cast<std::size_t>(channel) >= reading.words.size()) return {};
    const std::uint16_t word = reading.words[static_cast<std::size_t>(channel)];
    return FormatTempWord(static_cast<std::uint8_t>(word >> 8), static_cast<std::uint8_t>(word));
}
