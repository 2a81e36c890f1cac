#include "sim/sim_command_line.h"

#include <charconv>
#include <limits>

namespace {

std::optional<long long> ParseInteger(const std::string& text, long long low, long long high) {
    long long value = 0;
    const char* end = text.data() + text.size();
    const auto [at, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || at != end || value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

std::optional<SimCommandLine> ParseSimCommandLine(int argc, const char* const* argv,
                                                  std::string& error) {
    SimCommandLine line;
    line.options.port = 1;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--help" || option == "-h") {
            line.help = true;
            continue;
        }
        if (option == "--no-pacing") {
            line.options.paceBytes = false;
            continue;
        }
        if (option == "--quiet") {
            line.quiet = true;
            continue;
        }
        if (option == "--frozen") {
            line.frozen = true;
            continue;
        }
        if (i + 1 >= argc) {
            error = option.rfind("--", 0) == 0 ? option + " needs a value"
                                               : "unexpected argument '" + option + "'";
            return std::nullopt;
        }
        const std::string value = argv[++i];
        const auto number = [&](long long low, long long high) {
            const auto parsed = ParseInteger(value, low, high);
            if (!parsed) {
                error = option + " takes a number from " + std::to_string(low) + " to " +
                        std::to_string(high) + ", not '" + value + "'";
            }
            return parsed;
        };
        std::optional<long long> parsed;
        if (option == "--port") {
            if (!(parsed = number(0, 255))) return std::nullopt;
            line.options.port = static_cast<int>(*parsed);
        } else if (option == "--address") {
            if (!(parsed = number(0, 255))) return std::nullopt;
            line.options.address = static_cast<int>(*parsed);
        } else if (option == "--probes") {
            if (!(parsed = number(0, kProbeChannels))) return std::nullopt;
            line.options.probeCount = static_cast<int>(*parsed);
        } else if (option == "--baud") {
            if (!(parsed = number(50, 230400))) return std::nullopt;
            line.options.baud = static_cast<int>(*parsed);
        } else if (option == "--seed") {
            if (!(parsed = number(0, std::numeric_limits<unsigned>::max()))) return std::nullopt;
            line.options.seed = static_cast<unsigned>(*parsed);
        } else if (option == "--search-ms") {
            if (!(parsed = number(0, 600000))) return std::nullopt;
            line.options.searchDuration = std::chrono::milliseconds(*parsed);
        } else if (option == "--control") {
            line.controlFile = value;
        } else if (option == "--drive") {
            line.drives.push_back(value);
        } else if (option == "--fault") {
            const auto fault = ParseFaultOption(value, error);
            if (!fault) return std::nullopt;
            line.options.faults.push_back(*fault);
        } else if (ParseBusOption(option, value, line.bus, error)) {
            if (!error.empty()) return std::nullopt;
        } else {
            error = "unknown option '" + option + "'";
            return std::nullopt;
        }
    }
    if (error = CheckBusOptions(line.bus); !error.empty()) return std::nullopt;
    return line;
}

std::string SimUsage(const std::string& program) {
    return "Usage: " + program + R"( [options]
Simulates a QEV-K7R2 temperature scanner on a pseudo-terminal and publishes it as the
port link COM<n> in $K7R2_PORT_DIR (default ~/.config/k7r2/ports). Runs until SIGINT or
SIGTERM, then removes the link.

Options:
  --port N        publish as COM<N>, 1..255; 0 publishes nothing (default 1)
  --address A     bus address the module answers, 0..255 (default 0)
  --probes P      probe channels scanned, i.e. the signal count, 0..64 (default 20)
  --baud B        line rate (a standard one) used for pacing until the console sets
                  its own (default 9600)
  --no-pacing     send replies at once instead of at the line rate
  --seed S        seed for probe serial numbers and temperatures (default 1)
  --search-ms MS  how long a probe search takes (default 1500)
  --fault FAULT   misbehave on replies; may be repeated (see below)
  --frozen        every temperature exactly its set point, no drift or noise
  --control FILE  values driven from FILE, re-read whenever it changes (see below)
  --drive LINE    one directive as in the control file; may be repeated
  --quiet         do not trace requests and replies
  --addresses L   several modules on the one line, e.g. 1-32 or 1-4,9; each has its own
                  probes and values (--probes for all; --address and --fault then unused)
  --silent A      the module at address A never answers (with --addresses; repeatable)
  --garble A      the module at A answers with noise and a wrong checksum (repeatable)
  --fault-at A:FAULT  FAULT (below) on the replies of the module at A (repeatable)
  --help          show this text

FAULT is KIND[:SCOPE[:PARAM]].
  SCOPE: a count k (the next k replies, default 1), 'every' (every reply),
         or 'cmdN' (every reply to command N).
  KIND and PARAM:
    silence          no reply
    short[:..:K]     reply cut after K bytes (default 5)
    extra[:..:K]     K stray bytes after the reply (default 3)
    bad-checksum     checksum corrupted
    bad-count[:..:N] length field announces N data bytes, checksum matching (default 138)
    split[:..:MS]    reply sent in two halves MS ms apart (default 200)
    garbage[:..:K]   K noise bytes before the reply (default 5)
    late[:..:MS]     reply MS ms late (default 500)
    hang-up          the module drops off the line for good instead of replying
  Examples: --fault silence:3   --fault bad-checksum:every   --fault split:1:200
            --fault bad-count:cmd11:6   --fault late:2:800

Control directives, one a line ('#' starts a comment), each for the module at ADDRESS:
  ADDRESS CHANNEL value CELSIUS       the channel reads CELSIUS
  ADDRESS CHANNEL ramp FROM PER_MIN   from FROM, rising PER_MIN degrees a minute
  ADDRESS CHANNEL dropout             the probe reads full scale (3276.7)
  ADDRESS probes N                    the temperature block carries N probes
  ADDRESS silent                      no replies at all
  CHANNEL: PT100温度1..4, 温度1..64, or 0..67 with the PT100 inputs first.
  Write the file elsewhere and rename it into place, so it is never read half-written.
  Example: --drive "0 温度3 ramp 20 0.5"   --drive "0 silent"
)";
}
