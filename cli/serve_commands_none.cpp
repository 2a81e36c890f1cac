// Builds without the plant service (Windows) have no `serve`.
#include "cli/serve_commands.h"

void AddServeCommands(CLI::App&, Invocation&) {}
