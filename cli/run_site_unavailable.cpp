// site watch and scan need the bus runner's threads, which this toolchain's C++ library lacks.
#include "cli/cli_output.h"
#include "cli/command_line.h"
#include "cli/exit_status.h"

int RunSite(const Invocation&, const CliOutput& output) {
    return output.Fail(kExitUsage, "这个版本的 k7r2 不支持 site 命令 (编译时没有线程库)");
}
