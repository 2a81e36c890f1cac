#include "sim/reply_frame.h"

#include "link/frame.h"

std::vector<std::uint8_t> BuildReplyFrame(std::uint8_t address, std::uint8_t command,
                                          const std::vector<std::uint8_t>& data) {
    const auto length = static_cast<std::uint16_t>(data.size());
    std::vector<std::uint8_t> frame = {kFrameStart,
                                       0x3F,
                                       0x00,
                                       address,
                                       command,
                                       static_cast<std::uint8_t>(length >> 8),
                                       static_cast<std::uint8_t>(length & 0xFF)};
    // Byte by byte: insert() here trips a false -Warray-bounds in GCC 12 at -O2.
    for (const std::uint8_t byte : data) frame.push_back(byte);
    const std::uint16_t sum = FrameChecksum(frame.data(), static_cast<int>(frame.size()));
    frame.push_back(static_cast<std::uint8_t>(sum >> 8));
    frame.push_back(static_cast<std::uint8_t>(sum & 0xFF));
    return frame;
}

void RewriteReplyLength(std::vector<std::uint8_t>& frame, std::uint16_t announced) {
    if (frame.size() < static_cast<std::size_t>(kFrameOverhead)) return;
    frame[5] = static_cast<std::uint8_t>(announced >> 8);
    frame[6] = static_cast<std::uint8_t>(announced & 0xFF);
    const int covered = static_cast<int>(frame.size()) - 2;
    const std::uint16_t sum = FrameChecksum(frame.data(), covered);
    frame[frame.size() - 2] = static_cast<std::uint8_t>(sum >> 8);
    frame[frame.size() - 1] = static_cast<std::uint8_t>(sum & 0xFF);
}
