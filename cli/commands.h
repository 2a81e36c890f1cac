#pragma once
// k7r2's commands, each run after the command line has been checked. Each returns the exit
// status (cli/exit_status.h).
#include "cli/cli_output.h"
#include "cli/command_line.h"

int RunRead(const Invocation& invocation, const CliOutput& output);
int RunWatch(const Invocation& invocation, const CliOutput& output);
int RunSnRead(const Invocation& invocation, const CliOutput& output);
int RunSnDump(const Invocation& invocation, const CliOutput& output);
int RunRegisterChannel(const Invocation& invocation, const CliOutput& output);
int RunRegisterSn(const Invocation& invocation, const CliOutput& output);
int RunRegisterSearch(const Invocation& invocation, const CliOutput& output);
int RunRegisterFile(const Invocation& invocation, const CliOutput& output);
int RunSignalCount(const Invocation& invocation, const CliOutput& output);
int RunPt100(const Invocation& invocation, const CliOutput& output);
int RunScan(const Invocation& invocation, const CliOutput& output);
int RunPorts(const Invocation& invocation, const CliOutput& output);
int RunAlarms(const Invocation& invocation, const CliOutput& output);

// Parses the arguments and runs the command (argv[0] is the program).
int RunK7r2(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
