#pragma once
// The input registers a module's unit id serves over Modbus TCP (see docs/modbus-registers.md).
#include <array>
#include <chrono>
#include <cstdint>

#include "plant/plant_state.h"

constexpr int kRegisterProbeCount = 68;
constexpr int kRegisterStatus = 69;
constexpr int kRegisterAgeHigh = 70;  // the age's high word first, as Modbus sends 32-bit values
constexpr int kRegisterAgeLow = 71;
constexpr int kRegisterActiveAlarms = 72;
constexpr int kModuleRegisters = 73;
constexpr std::uint16_t kRegisterNoValue = 0x8000;

using ModuleRegisters = std::array<std::uint16_t, kModuleRegisters>;

ModuleRegisters RegistersOf(const ModuleSnapshot& module, std::chrono::system_clock::time_point now);
