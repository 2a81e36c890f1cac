#pragma once
#include <cstdint>
#include <optional>
#include <string>

// TempWord: 16 bits big-endian, bit 15 the sign, bits 0..14 tenths of a degree Celsius.
double TempWordToCelsius(std::uint8_t high, std::uint8_t low);
std::uint16_t TempWordFromTenths(int tenths);  // magnitude saturates at 0x7FFF
// "%.01f" of magnitude * 0.1f * sign, so 0x8000 shows "-0.0".
std::string FormatTempWord(std::uint8_t high, std::uint8_t low);
std::string FormatTempWord(std::uint16_t word);

// OffsetByte: bit 7 the sign, bits 0..6 tenths of a degree Celsius.
constexpr double kMaxOffsetCelsius = 5.0;
// None when the offset lies beyond +-5.0 degrees.
std::optional<std::uint8_t> OffsetByteFromCelsius(double celsius);
double OffsetByteToCelsius(std::uint8_t byte);
