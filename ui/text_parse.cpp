#include "ui/text_parse.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

bool ParseWholeInt(const std::string& text, int& value) {
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    std::size_t start = i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    const std::size_t digits = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
    if (i == digits) return false;
    std::size_t end = i;
    while (i < text.size() && IsBlank(text[i])) ++i;
    if (i != text.size()) return false;
    // A number too large for the member is not taken: cutting it silently would store a value
    // the operator never typed.
    const std::string number = text.substr(start, end - start);
    errno = 0;
    const long long parsed = std::strtoll(number.c_str(), nullptr, 10);
    if (errno == ERANGE || parsed < INT_MIN || parsed > INT_MAX) return false;
    value = static_cast<int>(parsed);
    return true;
}
