#include "link/frame.h"

std::uint16_t FrameChecksum(const std::uint8_t* bytes, int length) {
    std::uint16_t sum = 0;
    // The start byte is not summed; the 16-bit counter wraps like the module's.
    for (int i = 1; i < length; ++i) sum = static_cast<std::uint16_t>(sum + bytes[i]);
    return static_cast<std::uint16_t>(sum ^ 0xFFFF);
}

std::vector<std::uint8_t> BuildRequest(int address, std::uint8_t command,
                                       const std::uint8_t* payload, int payloadLength) {
    if (payloadLength < 0 || payloadLength > kMaxPayload) return {};
    if (payloadLength > 0 && payload == nullptr) return {};
    std::vector<std::uint8_t> frame;
    frame.reserve(static_cast<std::size_t>(payloadLength + kFrameOverhead));
    frame.push_back(kFrameStart);
    frame.push_back(0x3F);
    frame.push_back(0x00);
    frame.push_back(static_cast<std::uint8_t>(address & 0xFF));
    frame.push_back(command);
    frame.push_back(0x00);
    frame.push_back(static_cast<std::uint8_t>(payloadLength));
    frame.insert(frame.end(), payload, payload + payloadLength);
    const std::uint16_t checksum = FrameChecksum(frame.data(), static_cast<int>(frame.size()));
    frame.push_back(static_cast<std::uint8_t>(checksum >> 8));
    frame.push_back(static_cast<std::uint8_t>(checksum & 0xFF));
    return frame;
}
