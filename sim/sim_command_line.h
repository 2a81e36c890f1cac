#pragma once
#include <optional>
#include <string>
#include <vector>

#include "sim/bus_command_line.h"
#include "sim/simulated_module.h"

struct SimCommandLine {
    SimOptions options;
    bool help = false;
    bool quiet = false;
    bool frozen = false;  // every reading its set point, so that two runs read the same
    std::string controlFile;          // values driven by a file, re-read when it changes
    std::vector<std::string> drives;  // the same directives, from the command line
    SimBusCommandLine bus;  // several modules on the line when bus.addresses is set
};

// Parses the k7r2-sim arguments (argv[0] is the program). Nothing, with `error` set, on bad input.
std::optional<SimCommandLine> ParseSimCommandLine(int argc, const char* const* argv,
                                                  std::string& error);
std::string SimUsage(const std::string& program);
