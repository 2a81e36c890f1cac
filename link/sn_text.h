#pragma once
// A probe serial number and its text forms: the byte texts an operator types or a file holds,
// the compact text shown after a registration, and the fixed-width line that the clipboard
// export and the registration file share.
#include <array>
#include <cstdint>
#include <optional>
#include <string>

using SnBytes = std::array<std::uint8_t, 8>;  // SN byte 1 first

// One byte text: empty (the byte 0), or one or two of 0-9 A-F. `ok` false and -1 for any other
// character, -2 for three characters or more.
int ParseHexByte(const std::string& text, bool& ok);

// "%X-%X-…": upper-case hexadecimal without leading zeros, joined by "-".
std::string CompactSnText(const SnBytes& sn);
// "%02X-%02X-…": every byte as two digits, joined by "-".
std::string FullSnText(const SnBytes& sn);
// "%02d:%02X-%02X-…": 26 characters for the indexes 0 to 99.
std::string SnLine(int index, const SnBytes& sn);

// An SN typed on a command line: eight two-digit hexadecimal bytes, either joined by "-"
// (28-FF-4A-00-01-02-03-C9) or without separators (28FF4A00010203C9), upper or lower case.
std::optional<SnBytes> ParseSnArgument(const std::string& text);
