// Any argument vector (NUL-separated in the input) must end in a parsed command, help, or a
// usage error, never in a crash or an escaped exception; nothing is opened or sent.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "cli/exit_status.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> args = {"k7r2"};
    std::string current;
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            args.push_back(current);
            current.clear();
        } else {
            current.push_back(static_cast<char>(data[i]));
        }
    }
    args.push_back(current);
    const ParsedCommandLine parsed = ParseCommandLine(args);
    if (parsed.invocation) {
        const Invocation& inv = *parsed.invocation;
        if (inv.address < 0 || inv.address > 255 || inv.periodMs < 600) std::abort();
        if (inv.command == CliCommand::RegisterSn && inv.sn[0] != 0x28) std::abort();
    } else if (parsed.exitStatus != kExitOk && parsed.exitStatus != kExitUsage) {
        std::abort();
    }
    return 0;
}
