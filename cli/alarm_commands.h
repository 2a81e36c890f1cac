#pragma once
// Registers `k7r2 alarms list` and `k7r2 alarms ack` on the command line.
#include <CLI/CLI.hpp>

#include "cli/command_line.h"

void AddAlarmCommands(CLI::App& app, Invocation& inv);
