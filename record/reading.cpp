#include "record/reading.h"

#include <utility>

#include "link/module_commands.h"
#include "link/temp_word.h"

Reading ReadingFromBlock(const ReplyBlock& block, std::chrono::system_clock::time_point time) {
    Reading reading;
    reading.time = time;
    auto decoded = DecodeTemperatureBlockReply(ReceivedReply(block, kReplyBufferSize));
    if (!decoded) return reading;
    reading.words = std::move(decoded->words);
    if (reading.words.size() > kReadingChannels) reading.words.resize(kReadingChannels);
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
