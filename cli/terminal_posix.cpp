#include <signal.h>
#include <stdio_ext.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "cli/terminal.h"
#include "link/system_error_text.h"

void PrepareStandardStreams() {
    // A reader that went away ("k7r2 watch | head") is a failed write like any other: status 5
    // and the summary, rather than death by SIGPIPE in the middle of a record.
    signal(SIGPIPE, SIG_IGN);
}

bool StdoutIsTerminal() {
    return isatty(STDOUT_FILENO) == 1;
}

bool StderrIsTerminal() {
    return isatty(STDERR_FILENO) == 1;
}

void DiscardStdoutBuffer() {
    __fpurge(stdout);
}

bool WriteStdoutRecord(const std::string& bytes, std::string& error) {
    const off_t before = lseek(STDOUT_FILENO, 0, SEEK_CUR);  // -1 on a pipe or a terminal
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(STDOUT_FILENO, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            error = SystemErrorText(n < 0 ? errno : EIO);
            struct stat info {};
            if (done > 0 && before >= 0 && fstat(STDOUT_FILENO, &info) == 0 &&
                S_ISREG(info.st_mode) && ftruncate(STDOUT_FILENO, before) == 0) {
                lseek(STDOUT_FILENO, before, SEEK_SET);
            }
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}
