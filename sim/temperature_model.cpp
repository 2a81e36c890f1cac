#include "sim/temperature_model.h"

#include <cmath>
#include <numbers>

namespace {

// Where the sensors of the test rig sit: PT100 inputs on room air, a climate chamber at
// -40 C, an oven and a fridge; most probes in room air, with a freezer and a fridge among them.
constexpr std::array<int, kPt100Inputs> kPt100SetPoints = {213, -402, 850, 40};

int ProbeSetPoint(int channel, std::mt19937& random) {
    switch (channel % 8) {
        case 3:
            return -185 + static_cast<int>(random() % 21);  // freezer
        case 7:
            return 35 + static_cast<int>(random() % 11);  // fridge
        default:
            return 190 + static_cast<int>(random() % 80);  // room air
    }
}

}  // namespace

TemperatureModel::TemperatureModel(unsigned seed) : random_(seed) {
    std::uniform_real_distribution<double> amplitude(3.0, 15.0);
    std::uniform_real_distribution<double> period(60.0, 300.0);
    std::uniform_real_distribution<double> phase(0.0, 2 * std::numbers::pi);
    for (int i = 0; i < kPt100Inputs; ++i) {
        pt100_[static_cast<std::size_t>(i)] = {kPt100SetPoints[static_cast<std::size_t>(i)],
                                               amplitude(random_), period(random_), phase(random_)};
    }
    for (int c = 1; c <= kProbeChannels; ++c) {
        probes_[static_cast<std::size_t>(c - 1)] = {ProbeSetPoint(c, random_), amplitude(random_),
                                                    period(random_), phase(random_)};
    }
}

int TemperatureModel::Read(const Channel& channel, double seconds) {
    if (frozen_) return channel.setPoint;
    const double wave =
        channel.amplitude *
        std::sin(2 * std::numbers::pi * seconds / channel.periodSeconds + channel.phase);
    // One tenth of noise either way, like the last digit of a real converter.
    const int noise = static_cast<int>(random_() % 3) - 1;
    return channel.setPoint + static_cast<int>(std::lround(wave)) + noise;
}

int TemperatureModel::Pt100Tenths(int input, double seconds) {
    if (input < 0 || input >= kPt100Inputs) return 0;
    return Read(pt100_[static_cast<std::size_t>(input)], seconds);
}

int TemperatureModel::ProbeTenths(int channel, double seconds) {
    if (channel < 1 || channel > kProbeChannels) return 0;
    return Read(probes_[static_cast<std::size_t>(channel - 1)], seconds);
}

void TemperatureModel::SetPoints(const std::array<int, kPt100Inputs>& pt100,
                                 const std::vector<int>& probes) {
    for (int i = 0; i < kPt100Inputs; ++i) {
        pt100_[static_cast<std::size_t>(i)].setPoint = pt100[static_cast<std::size_t>(i)];
    }
    for (std::size_t c = 0; c < probes.size() && c < probes_.size(); ++c) {
        probes_[c].setPoint = probes[c];
    }
}
