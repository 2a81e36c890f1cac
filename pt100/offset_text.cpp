#include "pt100/offset_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

double LeadingDecimal(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] != '\0' && std::strchr(" \t\n\v\f\r", text[i]) != nullptr) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // from_chars takes a minus sign of its own; a second sign is no number.
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) return 0.0;
    const char* first = text.data() + i;
    const char* last = text.data() + text.size();
    double value = 0.0;
    const auto [end, error] = std::from_chars(first, last, value, std::chars_format::general);
    if (error == std::errc::invalid_argument) return 0.0;
    if (error == std::errc::result_out_of_range) {
        // Too small to hold is zero; too large is infinity, which every range check refuses.
        const std::string digits(first, end);
        const bool tiny =
            digits.find("e-") != std::string::npos || digits.find("E-") != std::string::npos;
        value = tiny ? 0.0 : std::numeric_limits<double>::infinity();
    }
    return negative ? -value : value;
}

int OffsetSpinPosition(const std::string& text) {
    const double position = std::trunc(LeadingDecimal(text) * 10.0 + 50.0);
    if (std::isnan(position)) return 50;
    // Clamped while still a double: a huge or infinite value has no int to convert to.
    return static_cast<int>(std::clamp(position, 0.0, 100.0));
}

std::string OffsetTextForSpin(int position) {
    char text[32];
    std::snprintf(text, sizeof text, "%0.1f", (position - 50) * 0.1);
    return text;
}

std::string FormatOffsetByte(std::uint8_t byte) {
    const int tenths = byte < 128 ? byte : 128 - byte;
    char text[32];
    std::snprintf(text, sizeof text, "%0.2f", tenths * 0.1);
    return text;
}
