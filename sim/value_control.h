#pragma once
// Values a test drives into the simulated modules, by module address: a channel held at a
// value, a ramp, a probe that drops out, a block with more or fewer probes, a module that
// goes silent. Given as lines of text (a control file, or --drive on the command line):
//
//   ADDRESS CHANNEL value CELSIUS       the channel reads CELSIUS
//   ADDRESS CHANNEL ramp FROM PER_MIN   from FROM, PER_MIN °C a minute from when it is read
//   ADDRESS CHANNEL dropout             the probe's converter reads full scale (3276.7)
//   ADDRESS probes N                    the temperature block carries N probes (0..64)
//   ADDRESS silent                      the module answers nothing
//
// CHANNEL is a label (PT100温度1..4, 温度1..64) or a number 0..67 (PT100 inputs first).
// '#' starts a comment. Every member may be called from any thread.
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class ValueControl {
public:
    // The clock ramps run on, in seconds (steady, any origin).
    static double Now();

    // Replaces every directive with the text's; `seconds` is the module's uptime now, when
    // ramps start (Now()). A line the same as in the last text keeps its ramp going. On an error
    // (naming the line) nothing changes.
    bool Load(const std::string& text, double seconds, std::string& error);

    bool Silent(int address) const;
    // Rewrites the reply data of a command to the module at `address`: the temperature block
    // (command 11) and the PT100 temperatures (command 7); other replies stay as they are.
    void Apply(int address, std::uint8_t command, std::vector<std::uint8_t>& data,
               double seconds) const;

private:
    struct Drive {
        enum class Kind { Value, Ramp, Dropout } kind = Kind::Value;
        double from = 0;
        double perMinute = 0;
        double since = 0;
        std::string line;
    };
    struct ModuleDrives {
        std::map<int, Drive> channels;
        std::optional<int> probes;
        bool silent = false;
    };
    static std::uint16_t Word(const Drive& drive, double seconds);

    mutable std::mutex mutex_;
    std::map<int, ModuleDrives> modules_;
};
