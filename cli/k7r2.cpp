#include <cerrno>

#include "cli/commands.h"
#include "cli/exit_status.h"
#include "cli/terminal.h"
#include "link/system_error_text.h"

namespace {

// Help, the version or a usage error; with --json as one object too.
int Unparsed(const ParsedCommandLine& parsed, const CliOutput& output) {
    if (!parsed.err.empty()) return output.Fail(parsed.exitStatus, parsed.err);
    if (!parsed.json) {
        output.out << parsed.out;
    } else if (parsed.out.rfind("k7r2 ", 0) == 0) {
        output.Json({{"version", K7R2_VERSION}});
    } else {
        output.Json({{"help", parsed.out}});
    }
    return parsed.exitStatus;
}

int Run(const ParsedCommandLine& parsed, const CliOutput& output) {
    if (!parsed.invocation) return Unparsed(parsed, output);
    const Invocation& inv = *parsed.invocation;
    if (inv.run) return inv.run(output);
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
        case CliCommand::Alarms: return RunAlarms(inv, output);
        case CliCommand::Site: return RunSite(inv, output);
    }
    return kExitUsage;
}

}  // namespace

int RunK7r2(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const ParsedCommandLine parsed = ParseCommandLine(args);
    const CliOutput output{out, err, parsed.invocation ? parsed.invocation->json : parsed.json};
    const int status = Run(parsed, output);
    // What is still buffered for stdout is written now, and a failure there (a full disk, a
    // closed pipe) is the run's failure.
    errno = 0;
    out.flush();
    if (!out.good() && status != kExitOutput) {
        const int error = errno;
        DiscardStdoutBuffer();
        err << "写标准输出失败: " << SystemErrorText(error) << '\n';
        return kExitOutput;
    }
    // The messages, the summary among them, are output too; with stderr gone the status is
    // the only word left.
    err.flush();
    if (!err.good()) return kExitOutput;
    return status;
}
