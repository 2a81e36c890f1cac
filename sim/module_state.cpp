#include "sim/module_state.h"

#include <algorithm>

#include "link/commands.h"
#include "link/temp_word.h"

namespace {

constexpr int kReplyData = 8;  // data bytes of every fixed-size reply

std::vector<std::uint8_t> Data(std::initializer_list<std::uint8_t> leading) {
    std::vector<std::uint8_t> data(leading);
    data.resize(kReplyData, 0);
    return data;
}

std::vector<std::uint8_t> SnData(const ProbeSn& sn) {
    return {sn.begin(), sn.end()};
}

void PutWord(std::vector<std::uint8_t>& data, std::uint16_t word) {
    data.push_back(static_cast<std::uint8_t>(word >> 8));
    data.push_back(static_cast<std::uint8_t>(word & 0xFF));
}

int OffsetTenths(std::uint8_t offset) {
    const int magnitude = offset & 0x7F;
    return (offset & 0x80) != 0 ? -magnitude : magnitude;
}

// The payload size of each command the module understands; -1 for unknown codes.
int PayloadSize(std::uint8_t command) {
    switch (command) {
        case CMD_SET_SIGNAL_COUNT:
        case CMD_REGISTER_CHANNEL:
        case CMD_READ_SN:
        case CMD_PT100_READ_PARAMS:
            return 1;
        case CMD_REGISTER_SN:
            return 9;
        case CMD_SEARCH_PROBES:
        case CMD_PT100_READ_TEMPS:
        case CMD_READ_TEMPERATURES:
            return 0;
        case CMD_PT100_CALIBRATE:
        case CMD_PT100_SET_OFFSET:
            return 2;
        default:
            return -1;
    }
}

}  // namespace

ModuleState::ModuleState(int probeCount, unsigned seed)
    : random_(seed), temperatures_(seed), signalCount_(std::clamp(probeCount, 0, kProbeChannels)) {
    snTable_.fill(kBlankSn);
    for (int i = 0; i < signalCount_; ++i) busProbes_.push_back(NewProbe());
    for (int c = 1; c <= signalCount_; ++c) {
        snTable_[static_cast<std::size_t>(c)] = busProbes_[static_cast<std::size_t>(c - 1)];
    }
    socketProbe_ = NewProbe();
    snTable_[0] = *socketProbe_;
    for (Pt100Params& input : pt100_) {
        input.zeroAd = static_cast<std::uint8_t>(0x1C + random_() % 6);
        input.res1Ad = static_cast<std::uint16_t>(0x5A00 + random_() % 0x100);
        input.res2Ad = static_cast<std::uint16_t>(0x9C00 + random_() % 0x100);
    }
}

ProbeSn ModuleState::NewProbe() {
    const std::uint64_t serial = (static_cast<std::uint64_t>(random_()) << 16) ^ random_();
    return MakeProbeSn(serial & 0xFFFFFFFFFFFFULL);
}

void ModuleState::SetSignalCount(int count) {
    signalCount_ = std::clamp(count, 0, kProbeChannels);
}

void ModuleState::SetSocketProbe(std::optional<ProbeSn> probe) {
    socketProbe_ = probe;
    snTable_[0] = probe.value_or(kBlankSn);
}

ProbeSn ModuleState::SnEntry(int entry) const {
    if (entry < 0 || entry >= kSnTableEntries) return kZeroSn;
    return snTable_[static_cast<std::size_t>(entry)];
}

Pt100Params ModuleState::Pt100(int input) const {
    if (input < 0 || input >= kPt100Inputs) return {};
    return pt100_[static_cast<std::size_t>(input)];
}

std::optional<std::vector<std::uint8_t>> ModuleState::Answer(
    std::uint8_t command, const std::vector<std::uint8_t>& payload, double seconds) {
    if (PayloadSize(command) != static_cast<int>(payload.size())) return std::nullopt;
    switch (command) {
        case CMD_SET_SIGNAL_COUNT:
            return SetSignalCountReply(payload[0]);
        case CMD_REGISTER_CHANNEL:
            return RegisterChannel(payload[0]);
        case CMD_READ_SN:
            return SnData(SnEntry(payload[0]));
        case CMD_REGISTER_SN:
            return RegisterSn(payload);
        case CMD_SEARCH_PROBES:
            return Search();
        case CMD_PT100_READ_TEMPS:
            return Pt100Temps(seconds);
        case CMD_PT100_READ_PARAMS:
            return Pt100ReadParams(payload[0]);
        case CMD_PT100_CALIBRATE:
            return Pt100Calibrate(payload[0], payload[1]);
        case CMD_PT100_SET_OFFSET:
            return Pt100SetOffset(payload[0], payload[1]);
        case CMD_READ_TEMPERATURES:
            return TemperatureBlock(seconds);
        default:
            return std::nullopt;
    }
}

std::vector<std::uint8_t> ModuleState::SetSignalCountReply(std::uint8_t count) {
    // A count beyond the channels is refused; the reply then reports the count kept.
    if (count <= kProbeChannels) signalCount_ = count;
    return Data({static_cast<std::uint8_t>(signalCount_)});
}

std::vector<std::uint8_t> ModuleState::RegisterChannel(std::uint8_t channel) {
    if (channel < 1 || channel > kProbeChannels) return SnData(kZeroSn);
    if (!socketProbe_) return SnData(kBlankSn);
    snTable_[channel] = *socketProbe_;
    // The operator plugs the next probe in; consecutive registrations get distinct probes.
    socketProbe_ = NewProbe();
    snTable_[0] = *socketProbe_;
    return SnData(snTable_[channel]);
}

void ModuleState::ForceRegisterResults(std::vector<std::uint8_t> codes) {
    forcedRegisterResults_.assign(codes.begin(), codes.end());
}

std::vector<std::uint8_t> ModuleState::RegisterSn(const std::vector<std::uint8_t>& payload) {
    if (!forcedRegisterResults_.empty()) {
        const std::uint8_t code = forcedRegisterResults_.front();
        forcedRegisterResults_.pop_front();
        return Data({code});
    }
    const std::uint8_t channel = payload[0];
    if (channel < 1 || channel > kProbeChannels) return Data({REGISTER_CHANNEL_TOO_LARGE});
    if (payload[1] != kSnFamilyByte) return Data({REGISTER_SN_INVALID});
    std::copy(payload.begin() + 1, payload.end(), snTable_[channel].begin());
    return Data({REGISTER_OK});
}

std::vector<std::uint8_t> ModuleState::Search() {
    // Found probes take the channels in the order the search meets them.
    const std::size_t found = busProbes_.size();
    for (std::size_t i = 0; i < found && i < static_cast<std::size_t>(kProbeChannels); ++i) {
        snTable_[i + 1] = busProbes_[i];
    }
    return {static_cast<std::uint8_t>(found & 0xFF)};
}

int ModuleState::Pt100Reading(int input, double seconds) {
    return temperatures_.Pt100Tenths(input, seconds) +
           OffsetTenths(pt100_[static_cast<std::size_t>(input)].offset);
}

std::vector<std::uint8_t> ModuleState::Pt100Temps(double seconds) {
    std::vector<std::uint8_t> data;
    for (int i = 0; i < kPt100Inputs; ++i)
        PutWord(data, TempWordFromTenths(Pt100Reading(i, seconds)));
    return data;
}

std::vector<std::uint8_t> ModuleState::Pt100ReadParams(std::uint8_t input) const {
    if (input >= kPt100Inputs) return Data({});
    const Pt100Params& p = pt100_[input];
    return Data({p.zeroAd, p.offset, 0, static_cast<std::uint8_t>(p.res1Ad >> 8),
                 static_cast<std::uint8_t>(p.res1Ad & 0xFF),
                 static_cast<std::uint8_t>(p.res2Ad >> 8),
                 static_cast<std::uint8_t>(p.res2Ad & 0xFF)});
}

std::vector<std::uint8_t> ModuleState::Pt100Calibrate(std::uint8_t type, std::uint8_t input) {
    if (input >= kPt100Inputs) return Data({});
    Pt100Params& p = pt100_[input];
    // A fresh conversion never comes out quite like the last one.
    const int jitter = static_cast<int>(random_() % 5) - 2;
    switch (type) {
        case PT100_CAL_ZERO:
            p.zeroAd = static_cast<std::uint8_t>(0x1E + jitter);
            return Data({p.zeroAd});
        case PT100_CAL_RES1:
            p.res1Ad = static_cast<std::uint16_t>(0x5A80 + 8 * jitter);
            return Data({static_cast<std::uint8_t>(p.res1Ad >> 8),
                         static_cast<std::uint8_t>(p.res1Ad & 0xFF)});
        case PT100_CAL_RES2:
            p.res2Ad = static_cast<std::uint16_t>(0x9C80 + 8 * jitter);
            return Data({static_cast<std::uint8_t>(p.res2Ad >> 8),
                         static_cast<std::uint8_t>(p.res2Ad & 0xFF)});
        default:
            return Data({});
    }
}

std::vector<std::uint8_t> ModuleState::Pt100SetOffset(std::uint8_t input, std::uint8_t offset) {
    if (input >= kPt100Inputs) return Data({input});
    // Offsets beyond +-5.0 degrees are refused; the reply echoes the offset kept.
    if ((offset & 0x7F) <= 50) pt100_[input].offset = offset;
    return Data({input, pt100_[input].offset});
}

std::vector<std::uint8_t> ModuleState::TemperatureBlock(double seconds) {
    std::vector<std::uint8_t> data;
    for (int i = 0; i < kPt100Inputs; ++i)
        PutWord(data, TempWordFromTenths(Pt100Reading(i, seconds)));
    for (int c = 1; c <= signalCount_; ++c) {
        PutWord(data, TempWordFromTenths(temperatures_.ProbeTenths(c, seconds)));
    }
    return data;
}
