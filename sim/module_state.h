#pragma once
#include <array>
#include <cstdint>
#include <deque>
#include <optional>
#include <random>
#include <vector>

#include "sim/probe_sn.h"
#include "sim/temperature_model.h"

constexpr int kSnTableEntries = 65;  // entry 0 and channels 1..64

struct Pt100Params {
    std::uint8_t zeroAd = 0;
    std::uint8_t offset = 0;  // sign and magnitude, tenths of a degree
    std::uint16_t res1Ad = 0;
    std::uint16_t res2Ad = 0;
};

// The inside of the module: its settings, its SN table, its probes and inputs, and how it
// answers each command. No I/O and no clock of its own; the caller serialises access.
//
// SN table: entry 0 holds the probe currently plugged into the registration socket (the one
// a channel registration picks up), entries 1..64 the probes registered to channels 1..64.
// Unused entries read all 0xFF, like erased memory.
class ModuleState {
public:
    ModuleState(int probeCount, unsigned seed);

    // The reply data for a request, or nothing when the module stays quiet (a command it does
    // not know, or a payload of the wrong size). `seconds` is the module's uptime.
    std::optional<std::vector<std::uint8_t>> Answer(std::uint8_t command,
                                                    const std::vector<std::uint8_t>& payload,
                                                    double seconds);

    // The number of probe channels scanned, which is the signal count (0..64).
    int SignalCount() const { return signalCount_; }
    void SetSignalCount(int count);

    ProbeSn SnEntry(int entry) const;  // 0..64; all zero beyond
    std::optional<ProbeSn> SocketProbe() const { return socketProbe_; }
    void SetSocketProbe(std::optional<ProbeSn> probe);
    // The probes wired to the bus, in the order a search finds them.
    const std::vector<ProbeSn>& BusProbes() const { return busProbes_; }
    void SetBusProbes(std::vector<ProbeSn> probes) { busProbes_ = std::move(probes); }
    Pt100Params Pt100(int input) const;
    // The result codes the next SN registrations answer with, oldest first, instead of the
    // module's own verdict; a forced registration stores nothing. For codes the module itself
    // never gives to a well-formed request.
    void ForceRegisterResults(std::vector<std::uint8_t> codes);

    TemperatureModel& Temperatures() { return temperatures_; }

private:
    std::vector<std::uint8_t> SetSignalCountReply(std::uint8_t count);
    std::vector<std::uint8_t> RegisterChannel(std::uint8_t channel);
    std::vector<std::uint8_t> RegisterSn(const std::vector<std::uint8_t>& payload);
    std::vector<std::uint8_t> Search();
    std::vector<std::uint8_t> Pt100Temps(double seconds);
    std::vector<std::uint8_t> Pt100ReadParams(std::uint8_t input) const;
    std::vector<std::uint8_t> Pt100Calibrate(std::uint8_t type, std::uint8_t input);
    std::vector<std::uint8_t> Pt100SetOffset(std::uint8_t input, std::uint8_t offset);
    std::vector<std::uint8_t> TemperatureBlock(double seconds);
    int Pt100Reading(int input, double seconds);
    ProbeSn NewProbe();

    std::mt19937 random_;
    TemperatureModel temperatures_;
    int signalCount_;
    std::array<ProbeSn, kSnTableEntries> snTable_{};
    std::optional<ProbeSn> socketProbe_;
    std::vector<ProbeSn> busProbes_;
    std::array<Pt100Params, kPt100Inputs> pt100_{};
    std::deque<std::uint8_t> forcedRegisterResults_;
};
