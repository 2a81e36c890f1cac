#include "sim/value_control.h"

#include <charconv>
#include <chrono>
#include <cmath>
#include <sstream>

#include "link/commands.h"
#include "link/temp_word.h"

namespace {

constexpr int kPt100s = 4;
constexpr int kChannels = 68;
constexpr std::uint16_t kFullScale = 0x7FFF;
const std::string kProbeLabel = "温度";
const std::string kPt100Label = "PT100温度";

std::optional<long long> Integer(const std::string& text) {
    long long value = 0;
    const auto [at, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || at != text.data() + text.size()) return std::nullopt;
    return value;
}

std::optional<double> Decimal(const std::string& text) {
    double value = 0;
    const auto [at, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || at != text.data() + text.size() ||
        !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::optional<int> Channel(const std::string& text) {
    std::optional<long long> n;
    if (text.rfind(kPt100Label, 0) == 0) {
        n = Integer(text.substr(kPt100Label.size()));
        if (n && *n >= 1 && *n <= kPt100s) return static_cast<int>(*n - 1);
        return std::nullopt;
    }
    if (text.rfind(kProbeLabel, 0) == 0) {
        n = Integer(text.substr(kProbeLabel.size()));
        if (n && *n >= 1 && *n <= kChannels - kPt100s) return static_cast<int>(*n + kPt100s - 1);
        return std::nullopt;
    }
    n = Integer(text);
    if (n && *n >= 0 && *n < kChannels) return static_cast<int>(*n);
    return std::nullopt;
}

void PutWord(std::vector<std::uint8_t>& data, std::size_t word, std::uint16_t value) {
    data[2 * word] = static_cast<std::uint8_t>(value >> 8);
    data[2 * word + 1] = static_cast<std::uint8_t>(value & 0xFF);
}

}  // namespace

double ValueControl::Now() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

bool ValueControl::Load(const std::string& text, double seconds, std::string& error) {
    std::lock_guard lock(mutex_);
    std::map<int, ModuleDrives> modules;
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    while (std::getline(lines, line)) {
        ++number;
        if (const auto hash = line.find('#'); hash != std::string::npos) line.erase(hash);
        std::istringstream words(line);
        std::vector<std::string> w;
        for (std::string word; words >> word;) w.push_back(word);
        if (w.empty()) continue;
        const auto fail = [&](const std::string& why) {
            error = "line " + std::to_string(number) + ": " + why;
            return false;
        };
        const auto address = Integer(w[0]);
        if (!address || *address < 0 || *address > 255) return fail("address 0..255 expected");
        ModuleDrives& module = modules[static_cast<int>(*address)];
        if (w.size() == 2 && w[1] == "silent") {
            module.silent = true;
            continue;
        }
        if (w.size() == 3 && w[1] == "probes") {
            const auto probes = Integer(w[2]);
            if (!probes || *probes < 0 || *probes > kChannels - kPt100s) {
                return fail("probes takes 0..64");
            }
            module.probes = static_cast<int>(*probes);
            continue;
        }
        if (w.size() < 3) return fail("unknown directive");
        const auto channel = Channel(w[1]);
        if (!channel) return fail("channel '" + w[1] + "' unknown");
        Drive drive;
        drive.line = line;
        drive.since = seconds;
        if (w[2] == "value" && w.size() == 4 && Decimal(w[3])) {
            drive.kind = Drive::Kind::Value;
            drive.from = *Decimal(w[3]);
        } else if (w[2] == "ramp" && w.size() == 5 && Decimal(w[3]) && Decimal(w[4])) {
            drive.kind = Drive::Kind::Ramp;
            drive.from = *Decimal(w[3]);
            drive.perMinute = *Decimal(w[4]);
        } else if (w[2] == "dropout" && w.size() == 3) {
            drive.kind = Drive::Kind::Dropout;
        } else {
            return fail("expected 'value C', 'ramp FROM PER_MIN' or 'dropout'");
        }
        // The same line as before: a ramp goes on from where it is.
        const auto old = modules_.find(static_cast<int>(*address));
        if (old != modules_.end()) {
            const auto previous = old->second.channels.find(*channel);
            if (previous != old->second.channels.end() && previous->second.line == line) {
                drive.since = previous->second.since;
            }
        }
        module.channels[*channel] = drive;
    }
    modules_ = std::move(modules);
    return true;
}

bool ValueControl::Silent(int address) const {
    std::lock_guard lock(mutex_);
    const auto it = modules_.find(address);
    return it != modules_.end() && it->second.silent;
}

std::uint16_t ValueControl::Word(const Drive& drive, double seconds) {
    if (drive.kind == Drive::Kind::Dropout) return kFullScale;
    double celsius = drive.from;
    if (drive.kind == Drive::Kind::Ramp) celsius += drive.perMinute * (seconds - drive.since) / 60;
    // The sign bit of its own, so that "-0.0" reads as the module sends it.
    const auto magnitude = TempWordFromTenths(static_cast<int>(std::lround(std::fabs(celsius) * 10)));
    return std::signbit(celsius) ? static_cast<std::uint16_t>(0x8000 | magnitude) : magnitude;
}

void ValueControl::Apply(int address, std::uint8_t command, std::vector<std::uint8_t>& data,
                         double seconds) const {
    if (command != CMD_READ_TEMPERATURES && command != CMD_PT100_READ_TEMPS) return;
    std::lock_guard lock(mutex_);
    const auto it = modules_.find(address);
    if (it == modules_.end()) return;
    const ModuleDrives& module = it->second;
    const bool block = command == CMD_READ_TEMPERATURES;
    if (block && module.probes) {
        // Probes the module did not scan read room temperature.
        const std::size_t words = static_cast<std::size_t>(kPt100s + *module.probes);
        const std::size_t had = data.size() / 2;
        data.resize(2 * words);
        for (std::size_t word = had; word < words; ++word) PutWord(data, word, 200);
    }
    const std::size_t words = block ? data.size() / 2 : kPt100s;
    for (const auto& [channel, drive] : module.channels) {
        if (static_cast<std::size_t>(channel) < words) {
            PutWord(data, static_cast<std::size_t>(channel), Word(drive, seconds));
        }
    }
}
