#pragma once
#include <array>
#include <cstdint>

// A probe's 64-bit ROM code as it travels on the wire: family byte first, CRC last.
using ProbeSn = std::array<std::uint8_t, 8>;

// The one-wire CRC-8 (polynomial x^8 + x^5 + x^4 + 1) of the first seven bytes.
std::uint8_t ProbeSnCrc(const ProbeSn& sn);

// A temperature-probe ROM code (family 0x28) with the given 48-bit serial and a valid CRC.
ProbeSn MakeProbeSn(std::uint64_t serial);

constexpr ProbeSn kBlankSn = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
constexpr ProbeSn kZeroSn = {0, 0, 0, 0, 0, 0, 0, 0};
