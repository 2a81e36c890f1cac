#include "plant/serve_signals.h"

#include <signal.h>

#include <cerrno>
#include <ctime>

namespace {

sigset_t ServeSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGHUP);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    return set;
}

}  // namespace

void BlockServeSignals() {
    const sigset_t set = ServeSignals();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

ServeSignal WaitForServeSignal(std::chrono::milliseconds timeout) {
    const sigset_t set = ServeSignals();
    timespec wait{static_cast<time_t>(timeout.count() / 1000),
                  static_cast<long>(timeout.count() % 1000) * 1000000L};
    const int signal = sigtimedwait(&set, nullptr, &wait);
    if (signal == SIGHUP) return ServeSignal::Reload;
    if (signal == SIGTERM || signal == SIGINT) return ServeSignal::End;
    return ServeSignal::None;
}
