#include "cli/argument_checks.h"

#include <charconv>
#include <cstdio>

std::optional<long long> DecimalInteger(const std::string& text) {
    const std::size_t digits = !text.empty() && text[0] == '-' ? 1 : 0;
    if (text.size() > digits + 1 && text[digits] == '0') return std::nullopt;
    long long value = 0;
    const char* end = text.data() + text.size();
    const auto [at, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || at != end) return std::nullopt;
    return value;
}

std::optional<double> DecimalNumber(const std::string& text) {
    if (text.find_first_not_of("-0123456789.") != std::string::npos) return std::nullopt;
    double value = 0;
    const char* end = text.data() + text.size();
    const auto [at, ec] = std::from_chars(text.data(), end, value, std::chars_format::fixed);
    if (text.empty() || ec != std::errc() || at != end) return std::nullopt;
    return value;
}

std::string RangeText(long long low, long long high) {
    char text[96];
    std::snprintf(text, sizeof text, "须为%lld到%lld的整数", low, high);
    return text;
}

namespace {

std::string Refusal(const std::string& rule, const std::string& text) {
    if (text.empty()) return "不能为空, " + rule;
    const std::size_t digits = text[0] == '-' ? 1 : 0;
    if (text.size() > digits + 1 && text[digits] == '0' &&
        text.find_first_not_of("0123456789", digits) == std::string::npos) {
        return rule + ", 不是 '" + text + "' (不接受前导零, 以免被当作八进制)";
    }
    return rule + ", 不是 '" + text + "'";
}

}  // namespace

CLI::Validator IntegerIn(long long low, long long high) {
    // No description: the option's own help names the range, and the type stays "整数".
    return CLI::Validator(
        [low, high](std::string& text) -> std::string {
            const auto value = DecimalInteger(text);
            if (!value || *value < low || *value > high) return Refusal(RangeText(low, high), text);
            return {};
        },
        "", "IntegerIn");
}

CLI::Validator NonEmpty() {
    return CLI::Validator(
        [](std::string& text) -> std::string { return text.empty() ? "不能为空" : ""; }, "",
        "NonEmpty");
}

CLI::Validator OneOf(std::vector<std::string> words) {
    std::string rule = "须为";
    for (std::size_t i = 0; i < words.size(); ++i) {
        rule += (i == 0 ? "" : i + 1 == words.size() ? " 或 " : ", ") + words[i];
    }
    return CLI::Validator(
        [words, rule](std::string& text) -> std::string {
            for (const std::string& word : words) {
                if (text == word) return {};
            }
            return Refusal(rule, text);
        },
        "", "OneOf");
}
