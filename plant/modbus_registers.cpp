#include "plant/modbus_registers.h"

#include <algorithm>

namespace {

// The module's sign-and-magnitude word as two's complement: -0.0 becomes 0.
std::uint16_t TwosComplement(std::uint16_t word) {
    const int magnitude = word & 0x7FFF;
    return static_cast<std::uint16_t>((word & 0x8000) ? -magnitude : magnitude);
}

}  // namespace

ModuleRegisters RegistersOf(const ModuleSnapshot& module, std::chrono::system_clock::time_point now) {
    ModuleRegisters registers;
    registers.fill(kRegisterNoValue);
    std::uint32_t age = 0xFFFFFFFF;  // never read
    registers[kRegisterProbeCount] = 0;
    if (module.reading) {
        const Reading& reading = *module.reading;
        for (std::size_t i = 0; i < reading.words.size() && i < kReadingChannels; ++i) {
            registers[i] = TwosComplement(reading.words[i]);
        }
        registers[kRegisterProbeCount] = static_cast<std::uint16_t>(reading.ProbeCount());
        const auto seconds =
            std::chrono::duration_cast<std::chrono::seconds>(now - reading.time).count();
        age = static_cast<std::uint32_t>(std::clamp<long long>(seconds, 0, 0xFFFFFFFE));
    }
    registers[kRegisterStatus] = static_cast<std::uint16_t>(module.status);
    registers[kRegisterAgeHigh] = static_cast<std::uint16_t>(age >> 16);
    registers[kRegisterAgeLow] = static_cast<std::uint16_t>(age & 0xFFFF);
    registers[kRegisterActiveAlarms] =
        static_cast<std::uint16_t>(std::clamp(module.activeAlarms, 0, 0xFFFF));
    return registers;
}
