#include <stdio_ext.h>
#include <unistd.h>

#include <cstdio>

#include "cli/terminal.h"

void PrepareStandardStreams() {}

bool StdoutIsTerminal() {
    return isatty(STDOUT_FILENO) == 1;
}

bool StderrIsTerminal() {
    return isatty(STDERR_FILENO) == 1;
}

void DiscardStdoutBuffer() {
    __fpurge(stdout);
}
