#pragma once
// A probe serial number and its two text forms: the compact text shown after a registration and
// the fixed-width line that the clipboard export and the registration file share.
#include <array>
#include <cstdint>
#include <string>

#include "link/frame.h"

using SnBytes = std::array<std::uint8_t, 8>;  // SN byte 1 first

// Where a reply carries an SN, and the reply length that includes all of it.
constexpr int kSnReplyOffset = 7;
constexpr int kSnReplyMinLength = kSnReplyOffset + 8;

SnBytes SnFromReply(const ReplyBlock& reply);

// "%X-%X-…": upper-case hexadecimal without leading zeros, joined by "-".
std::string CompactSnText(const SnBytes& sn);
// "%02d:%02X-%02X-…": 26 characters for the indexes 0 to 99.
std::string SnLine(int index, const SnBytes& sn);
