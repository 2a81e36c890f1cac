#pragma once
// k7r2 site scan|watch|check: the arguments, their registration with the command line, and the
// command that runs them (run_site.cpp).
#include <string>

namespace CLI {
class App;
}
struct Invocation;
struct CliOutput;

struct SiteArguments {
    enum class Action { Scan, Watch, Check };
    Action action = Action::Check;
    std::string file;        // watch, check
    std::string csvDir;      // watch: one readings CSV per module there
    long long count = 0;     // watch: cycles per bus; 0 until Ctrl-C
    std::string addresses;   // scan: A-B or A (default 0-255)
    std::string bauds;       // scan: comma-separated (default 9600)
    int timeoutMs = 300;     // scan: wait per address
    std::string name;        // scan: the new site's name
};

// Adds the "site" command family; a chosen one sets inv.command and inv.site.
void AddSiteCommands(CLI::App* app, Invocation& inv);
int RunSite(const Invocation& invocation, const CliOutput& output);
