#pragma once
#include <cstdint>
#include <vector>

// The module's reply: 14 3F 00, its address, the command, the data length high byte first,
// the data and the checksum over everything after the start byte, high byte first.
std::vector<std::uint8_t> BuildReplyFrame(std::uint8_t address, std::uint8_t command,
                                          const std::vector<std::uint8_t>& data);

// Rewrites the length field (bytes 5-6) and recomputes the checksum over the frame as it then
// reads, so that only the announced length is wrong. Frames shorter than 9 bytes are left alone.
void RewriteReplyLength(std::vector<std::uint8_t>& frame, std::uint16_t announced);
