#pragma once
// The strict checks every command's arguments pass, for every command family. Integers are
// plain decimal: a leading zero is refused ("010" could mean ten or, to CLI11, eight), and so
// are hexadecimal, signs other than a leading minus and blanks. No argument may be empty.
#include <CLI/CLI.hpp>

#include <optional>
#include <string>
#include <vector>

// A decimal integer and nothing else: digits with an optional leading minus sign, no leading
// zero.
std::optional<long long> DecimalInteger(const std::string& text);
// A decimal number ("-1.5", "2"), no exponent, no hexadecimal.
std::optional<double> DecimalNumber(const std::string& text);

// An integer from low to high (use with check() or transform(): the text is never changed).
CLI::Validator IntegerIn(long long low, long long high);
// Any non-empty text (an unset variable in a script must not pass for a default).
CLI::Validator NonEmpty();
// One of the given words.
CLI::Validator OneOf(std::vector<std::string> words);
// "须为1到255的整数"
std::string RangeText(long long low, long long high);
