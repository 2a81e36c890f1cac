#pragma once
// How many bytes one unconvertible sequence takes, from its first byte: the text codec's
// backends skip exactly this much and put a single '?' in its place, alike on both platforms.
#include <cstddef>

inline std::size_t Utf8SequenceLength(const char* at, std::size_t left) {
    const auto lead = static_cast<unsigned char>(*at);
    std::size_t length = 1;
    if (lead >= 0xF0 && lead < 0xF8) {
        length = 4;
    } else if (lead >= 0xE0) {
        length = 3;
    } else if (lead >= 0xC0) {
        length = 2;
    }
    // Never skip past a byte that does not continue the sequence.
    std::size_t valid = 1;
    while (valid < length && valid < left &&
           (static_cast<unsigned char>(at[valid]) & 0xC0) == 0x80) {
        ++valid;
    }
    return valid;
}

inline std::size_t GbkSequenceLength(const char* at, std::size_t left) {
    const auto lead = static_cast<unsigned char>(*at);
    return (lead >= 0x81 && lead <= 0xFE && left >= 2) ? 2 : 1;
}
