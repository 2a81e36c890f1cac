#include "link/temp_word.h"

#include <cmath>
#include <cstdio>

double TempWordToCelsius(std::uint8_t high, std::uint8_t low) {
    const int magnitude = (high & 0x7F) * 256 + low;
    const double celsius = magnitude * 0.1;
    return (high & 0x80) != 0 ? -celsius : celsius;
}

std::uint16_t TempWordFromTenths(int tenths) {
    const long long wide = tenths;
    const long long magnitude = wide < 0 ? -wide : wide;
    const auto clipped = static_cast<std::uint16_t>(magnitude > 0x7FFF ? 0x7FFF : magnitude);
    return static_cast<std::uint16_t>(tenths < 0 ? (0x8000 | clipped) : clipped);
}

std::string FormatTempWord(std::uint8_t high, std::uint8_t low) {
    const int magnitude = (high & 0x7F) * 256 + low;
    const float sign = (high & 0x80) != 0 ? -1.0f : 1.0f;
    // Single precision on purpose: the display has always shown this product, and a negative
    // zero word keeps its minus sign.
    const float value = static_cast<float>(magnitude) * 0.1f * sign;
    char text[32];
    std::snprintf(text, sizeof text, "%.01f", static_cast<double>(value));
    return text;
}

std::string FormatTempWord(std::uint16_t word) {
    return FormatTempWord(static_cast<std::uint8_t>(word >> 8), static_cast<std::uint8_t>(word));
}

std::optional<std::uint8_t> OffsetByteFromCelsius(double celsius) {
    const double tenths = celsius * 10.0;
    // NaN compares false with everything; refuse it with the out-of-range offsets.
    if (!(tenths <= kMaxOffsetCelsius * 10.0 && tenths >= -kMaxOffsetCelsius * 10.0)) {
        return std::nullopt;
    }
    const auto magnitude = static_cast<std::uint8_t>(std::trunc(std::fabs(tenths)));
    return static_cast<std::uint8_t>(tenths < 0 ? 0x80 + magnitude : magnitude);
}

double OffsetByteToCelsius(std::uint8_t byte) {
    if (byte < 0x80) return byte * 0.1;
    return -(byte - 0x80) * 0.1;
}
