#pragma once
#include <array>
#include <random>
#include <vector>

constexpr int kPt100Inputs = 4;
constexpr int kProbeChannels = 64;

// What the sensors measure, in tenths of a degree Celsius: each channel sits near a set point
// of its own (a freezer, a fridge, an oven, room air) and wanders slowly around it with a
// little measurement noise, as real sensors do.
class TemperatureModel {
public:
    explicit TemperatureModel(unsigned seed);

    // The value read at `seconds` since the module started.
    int Pt100Tenths(int input, double seconds);
    int ProbeTenths(int channel, double seconds);  // channel 1..64

    // Moves the set points; probe channels beyond the vector keep theirs.
    void SetPoints(const std::array<int, kPt100Inputs>& pt100, const std::vector<int>& probes);
    // While frozen every reading is exactly its set point.
    void Freeze(bool frozen) { frozen_ = frozen; }
    bool Frozen() const { return frozen_; }

private:
    struct Channel {
        int setPoint;
        double amplitude;  // tenths
        double periodSeconds;
        double phase;
    };
    int Read(const Channel& channel, double seconds);

    std::mt19937 random_;
    std::array<Channel, kPt100Inputs> pt100_{};
    std::array<Channel, kProbeChannels> probes_{};
    bool frozen_ = false;
};
