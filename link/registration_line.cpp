#include "link/registration_line.h"

#include "link/commands.h"
#include "link/module_commands.h"
#include "link/sn_text.h"

namespace {

bool IsLeadingSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDecimalDigit(char c) {
    return c >= '0' && c <= '9';
}

bool CharAt(const std::string& text, std::size_t position, char expected) {
    return position < text.size() && text[position] == expected;
}

}  // namespace

RegistrationLine ParseRegistrationLine(const std::string& line) {
    RegistrationLine parsed;
    std::size_t start = 0;
    while (start < line.size() && IsLeadingSpace(line[start])) ++start;
    const std::string text = line.substr(start);

    if (!CharAt(text, 2, ':')) return parsed;
    for (std::size_t dash = 5; dash <= 23; dash += 3) {
        if (!CharAt(text, dash, '-')) return parsed;
    }
    // Any two characters would make some channel number ("AB" is 188): register nowhere the
    // file does not plainly name.
    if (!IsDecimalDigit(text[0]) || !IsDecimalDigit(text[1])) return parsed;
    parsed.channel = static_cast<std::uint8_t>(10 * (text[0] - '0') + (text[1] - '0'));

    int okCount = 0;
    for (std::size_t k = 0; k < parsed.sn.size(); ++k) {
        // Byte 8 may be cut short by the end of the line: one digit, or none at all.
        const std::string byteText = text.substr(3 * (k + 1), 2);
        bool ok = false;
        parsed.sn[k] = static_cast<std::uint8_t>(ParseHexByte(byteText, ok) & 0xFF);
        if (ok) ++okCount;
    }
    parsed.payload = RegisterSnPayloadOf(parsed.channel, parsed.sn);
    parsed.verdict = (okCount == 8 && parsed.sn[0] == kSnFamilyByte) ? LineVerdict::Ok
                                                                     : LineVerdict::SnError;
    return parsed;
}
