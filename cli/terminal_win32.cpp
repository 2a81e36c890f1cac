#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>

#include "cli/terminal.h"

void PrepareStandardStreams() {
    // No "\n" to "\r\n" rewriting: lines carry their own ends. Texts are UTF-8.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    SetConsoleOutputCP(CP_UTF8);
}

bool StdoutIsTerminal() {
    return _isatty(_fileno(stdout)) != 0;
}

bool StderrIsTerminal() {
    return _isatty(_fileno(stderr)) != 0;
}

void DiscardStdoutBuffer() {
    // The Windows C runtime has no purge; one more flush is all it offers.
    std::fflush(stdout);
}
