// k7r2: the module's operations from the command line (see the README's "Command line").
#include <iostream>

#include "cli/arguments.h"
#include "cli/commands.h"
#include "cli/terminal.h"

int main(int argc, char** argv) {
    PrepareStandardStreams();
    const std::vector<std::string> args = Utf8Arguments(argc, argv);
    const int status = RunK7r2(args, std::cout, std::cerr);
    std::cout.flush();
    return status;
}
