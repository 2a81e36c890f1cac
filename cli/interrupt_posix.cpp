// The signal handler writes to a pipe that the wait polls, so a wait ends at once on Ctrl-C.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>

#include "cli/interrupt.h"

namespace {

std::atomic<bool> g_interrupted{false};
int g_wakePipe[2] = {-1, -1};

void OnSignal(int) {
    g_interrupted.store(true);
    const char byte = 1;
    const int saved = errno;
    [[maybe_unused]] const ssize_t ignored = write(g_wakePipe[1], &byte, 1);
    errno = saved;
}

}  // namespace

void InstallInterruptHandler() {
    if (g_wakePipe[0] >= 0) return;
    if (pipe(g_wakePipe) != 0) return;
    for (const int fd : g_wakePipe) {
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
        fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);  // the terminal or the session went away
}

bool Interrupted() {
    return g_interrupted.load();
}

bool WaitForInterrupt(std::uint32_t ms) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
    while (!Interrupted()) {
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) return false;
        if (g_wakePipe[0] < 0) {
            usleep(static_cast<useconds_t>(left) * 1000);  // no handler: a plain pause
            return Interrupted();
        }
        pollfd entry{g_wakePipe[0], POLLIN, 0};
        poll(&entry, 1, static_cast<int>(left));
    }
    return true;
}
