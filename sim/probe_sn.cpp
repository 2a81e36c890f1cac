#include "sim/probe_sn.h"

#include "link/commands.h"

std::uint8_t ProbeSnCrc(const ProbeSn& sn) {
    std::uint8_t crc = 0;
    for (int i = 0; i < 7; ++i) {
        std::uint8_t byte = sn[static_cast<std::size_t>(i)];
        for (int bit = 0; bit < 8; ++bit) {
            const bool mix = ((crc ^ byte) & 0x01) != 0;
            crc = static_cast<std::uint8_t>(crc >> 1);
            if (mix) crc ^= 0x8C;
            byte = static_cast<std::uint8_t>(byte >> 1);
        }
    }
    return crc;
}

ProbeSn MakeProbeSn(std::uint64_t serial) {
    ProbeSn sn{};
    sn[0] = kSnFamilyByte;
    // The serial goes out least significant byte first, as the probes send it.
    for (int i = 1; i <= 6; ++i) {
        sn[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(serial & 0xFF);
        serial >>= 8;
    }
    sn[7] = ProbeSnCrc(sn);
    return sn;
}
