#pragma once
// The offset field's text as numbers: what the spin shows and what the module is sent.
#include <cstdint>
#include <string>

// The decimal number at the start of the text, after leading blanks, read in the "C" locale
// whatever the user's locale; 0 when there is none. Out-of-range magnitudes give +-infinity.
double LeadingDecimal(const std::string& text);

// The spin position 0..100 for an offset text: (offset * 10 + 50) truncated and clamped;
// 50 when the text holds no number.
int OffsetSpinPosition(const std::string& text);

// The text the field shows for spin position p: (p - 50) * 0.1 with one decimal.
std::string OffsetTextForSpin(int position);

// An OffsetByte as the parameters show it: degrees with two decimals.
std::string FormatOffsetByte(std::uint8_t byte);
