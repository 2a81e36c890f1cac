#pragma once
// k7r2's command line: global options, one command and its arguments, checked before anything
// is opened or sent.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "cli/alarm_arguments.h"
#include "cli/site_commands.h"
#include "link/sn_text.h"

enum class CliCommand {
    Read,
    Watch,
    SnRead,
    SnDump,
    RegisterChannel,
    RegisterSn,
    RegisterSearch,
    RegisterFile,
    SignalCount,
    Pt100Params,
    Pt100Calibrate,
    Pt100Offset,
    Pt100Temps,
    Scan,
    Ports,
    PortsLink,
    PortsUnlink,
    Alarms,
    Site,
};

struct CliOutput;

struct Invocation {
    CliCommand command = CliCommand::Read;
    // Set by a command registered from its own files; runs instead of `command`.
    std::function<int(const CliOutput&)> run;
    // Global options.
    int port = 1;
    std::string device;  // instead of the port number when set
    int baud = 9600;
    int address = 0;
    bool json = false;
    bool trace = false;
    // watch
    int periodMs = 1000;
    long long count = 0;  // 0: until interrupted
    std::string csvPath;
    bool append = false;     // continue an existing --csv file
    bool force = false;      // replace an existing --csv file
    long long maxFailures = 0;  // 0: never end for failures
    // sn read / sn dump
    int index = 1;
    int from = 1;
    int to = 64;
    // register, signal-count, pt100
    int channel = 1;  // probe channel 0..255, or PT100 channel 1..4
    SnBytes sn{};
    std::string file;
    bool dryRun = false;
    int signalCount = 1;
    std::uint8_t calibration = 0;  // PT100_CAL_*
    std::uint8_t offsetByte = 0;
    double offsetCelsius = 0;
    // scan
    int firstAddress = 0;
    int lastAddress = 255;
    std::vector<int> bauds = {1200, 9600, 19200, 38400};
    int timeoutMs = 300;
    // ports
    int linkNumber = 0;
    std::string linkDevice;
    // alarms
    AlarmsArguments alarms;
    // site
    SiteArguments site;
};

struct ParsedCommandLine {
    std::optional<Invocation> invocation;  // empty: nothing to run
    int exitStatus = 0;                    // when empty: 0 after --help, else usage
    std::string out;                       // help text
    std::string err;                       // the usage error
    bool json = false;                     // --json was among the arguments
};

// argv[0] is the program. Never throws.
ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args);

namespace CLI {
class App;
}
// Adds a command that runs `which` when it is the deepest one named; each command family's
// registration function adds its commands with it (strict checks: cli/argument_checks.h).
CLI::App* AddCommand(CLI::App& parent, const char* name, const char* description, CliCommand which,
                     Invocation& invocation);
