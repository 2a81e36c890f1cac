#include <unistd.h>

#include "cli/terminal.h"

void PrepareStandardStreams() {}

bool StdoutIsTerminal() {
    return isatty(STDOUT_FILENO) == 1;
}

bool StderrIsTerminal() {
    return isatty(STDERR_FILENO) == 1;
}
