#pragma once
#include <cstdint>

// The module's command codes.
constexpr std::uint8_t CMD_SET_SIGNAL_COUNT = 1;
constexpr std::uint8_t CMD_REGISTER_CHANNEL = 2;
constexpr std::uint8_t CMD_READ_SN = 3;
constexpr std::uint8_t CMD_REGISTER_SN = 4;
constexpr std::uint8_t CMD_SEARCH_PROBES = 5;
constexpr std::uint8_t CMD_PT100_READ_TEMPS = 7;
constexpr std::uint8_t CMD_PT100_READ_PARAMS = 8;
constexpr std::uint8_t CMD_PT100_CALIBRATE = 9;
constexpr std::uint8_t CMD_PT100_SET_OFFSET = 10;
constexpr std::uint8_t CMD_READ_TEMPERATURES = 11;

// Calibration types of CMD_PT100_CALIBRATE.
constexpr std::uint8_t PT100_CAL_ZERO = 1;
constexpr std::uint8_t PT100_CAL_RES1 = 2;
constexpr std::uint8_t PT100_CAL_RES2 = 3;

// Result codes of CMD_REGISTER_SN.
constexpr std::uint8_t REGISTER_OK = 0;
constexpr std::uint8_t REGISTER_CHANNEL_TOO_LARGE = 1;
constexpr std::uint8_t REGISTER_SN_INVALID = 2;

constexpr std::uint8_t kSnFamilyByte = 0x28;
