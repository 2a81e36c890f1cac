#include "link/sn_text.h"

#include <cstdio>

int ParseHexByte(const std::string& text, bool& ok) {
    ok = false;
    if (text.size() > 2) return -2;
    int value = 0;
    for (const char c : text) {
        int digit = 0;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        } else {
            return -1;  // lower case, blanks, signs, line ends and non-ASCII bytes alike
        }
        value = value * 16 + digit;
    }
    ok = true;  // the empty text counts as the byte 0
    return value;
}

std::string CompactSnText(const SnBytes& sn) {
    char text[32];
    std::snprintf(text, sizeof text, "%X-%X-%X-%X-%X-%X-%X-%X", sn[0], sn[1], sn[2], sn[3], sn[4],
                  sn[5], sn[6], sn[7]);
    return text;
}

std::string FullSnText(const SnBytes& sn) {
    char text[32];
    std::snprintf(text, sizeof text, "%02X-%02X-%02X-%02X-%02X-%02X-%02X-%02X", sn[0], sn[1],
                  sn[2], sn[3], sn[4], sn[5], sn[6], sn[7]);
    return text;
}

std::string SnLine(int index, const SnBytes& sn) {
    char text[16];  // room for any int index
    std::snprintf(text, sizeof text, "%02d:", index);
    return text + FullSnText(sn);
}

std::optional<SnBytes> ParseSnArgument(const std::string& text) {
    const bool separated = text.size() == 8 * 3 - 1;
    if (!separated && text.size() != 16) return std::nullopt;
    const std::size_t step = separated ? 3 : 2;
    SnBytes sn{};
    for (std::size_t k = 0; k < sn.size(); ++k) {
        const std::size_t at = k * step;
        if (separated && k > 0 && text[at - 1] != '-') return std::nullopt;
        std::string digits = text.substr(at, 2);
        for (char& c : digits) {
            if (c >= 'a' && c <= 'f') c = static_cast<char>(c - 'a' + 'A');
        }
        bool ok = false;
        const int value = ParseHexByte(digits, ok);
        if (!ok || digits.size() != 2) return std::nullopt;
        sn[k] = static_cast<std::uint8_t>(value);
    }
    return sn;
}
