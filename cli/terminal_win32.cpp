#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cerrno>
#include <cstdio>

#include "cli/terminal.h"
#include "link/system_error_text.h"

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

bool WriteStdoutRecord(const std::string& bytes, std::string& error) {
    errno = 0;
    if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size() &&
        std::fflush(stdout) == 0) {
        return true;
    }
    error = SystemErrorText(errno != 0 ? errno : EIO);
    return false;
}
