#include "cli/commands.h"
#include "cli/exit_status.h"

int RunK7r2(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const ParsedCommandLine parsed = ParseCommandLine(args);
    if (!parsed.invocation) {
        out << parsed.out;
        if (!parsed.err.empty()) err << parsed.err << '\n';
        return parsed.exitStatus;
    }
    const Invocation& inv = *parsed.invocation;
    const CliOutput output{out, err, inv.json};
    switch (inv.command) {
        case CliCommand::Read: return RunRead(inv, output);
        case CliCommand::Watch: return RunWatch(inv, output);
        case CliCommand::SnRead: return RunSnRead(inv, output);
        case CliCommand::SnDump: return RunSnDump(inv, output);
        case CliCommand::RegisterChannel: return RunRegisterChannel(inv, output);
        case CliCommand::RegisterSn: return RunRegisterSn(inv, output);
        case CliCommand::RegisterSearch: return RunRegisterSearch(inv, output);
        case CliCommand::RegisterFile: return RunRegisterFile(inv, output);
        case CliCommand::SignalCount: return RunSignalCount(inv, output);
        case CliCommand::Pt100Params:
        case CliCommand::Pt100Calibrate:
        case CliCommand::Pt100Offset:
        case CliCommand::Pt100Temps: return RunPt100(inv, output);
        case CliCommand::Scan: return RunScan(inv, output);
        case CliCommand::Ports:
        case CliCommand::PortsLink:
        case CliCommand::PortsUnlink: return RunPorts(inv, output);
        case CliCommand::Site: return RunSite(inv, output);
    }
    return kExitUsage;
}
