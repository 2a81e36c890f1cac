#pragma once
#include <array>
#include <cstdint>
#include <vector>

constexpr std::uint8_t kFrameStart = 0x14;
constexpr int kFrameHeaderSize = 7;  // start, 3F, 00, address, command, length high, length low
constexpr int kFrameOverhead = 9;    // header + two checksum bytes
constexpr int kMaxPayload = 9;       // the largest payload any command carries
constexpr int kReplyBufferSize = 200;

using ReplyBlock = std::array<std::uint8_t, kReplyBufferSize>;

// Complemented 16-bit sum of bytes[1] .. bytes[length-1]; 0xFFFF for length <= 1.
std::uint16_t FrameChecksum(const std::uint8_t* bytes, int length);

// The request frame for a payload of 0..kMaxPayload bytes; empty when the length is out of range.
std::vector<std::uint8_t> BuildRequest(int address, std::uint8_t command,
                                       const std::uint8_t* payload, int payloadLength);
