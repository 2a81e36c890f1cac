#include <sys/prctl.h>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "sim/pty_line.h"

namespace {

constexpr struct {
    speed_t speed;
    int baud;
} kRates[] = {{B50, 50},         {B75, 75},        {B110, 110},     {B134, 134},
              {B150, 150},       {B200, 200},      {B300, 300},     {B600, 600},
              {B1200, 1200},     {B1800, 1800},    {B2400, 2400},   {B4800, 4800},
              {B9600, 9600},     {B19200, 19200},  {B38400, 38400}, {B57600, 57600},
              {B115200, 115200}, {B230400, 230400}};

int SpeedToBaud(speed_t speed) {
    for (const auto& rate : kRates) {
        if (rate.speed == speed) return rate.baud;
    }
    return 0;
}

speed_t BaudToSpeed(int baud) {
    for (const auto& rate : kRates) {
        if (rate.baud == baud) return rate.speed;
    }
    return B0;
}

int PollTimeout(std::chrono::steady_clock::time_point deadline) {
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    return left.count() <= 0 ? 0 : static_cast<int>(std::min<long long>(left.count(), 1000000));
}

}  // namespace

PtyLine::~PtyLine() {
    Close();
    if (wakeRead_ >= 0) ::close(wakeRead_);
    if (wakeWrite_ >= 0) ::close(wakeWrite_);
}

bool PtyLine::Open(int baud, std::string& error) {
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0) {
        error = std::string("pipe: ") + std::strerror(errno);
        return false;
    }
    wakeRead_ = pipeFds[0];
    wakeWrite_ = pipeFds[1];
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
        error = std::string("pseudo-terminal: ") + std::strerror(errno);
        Close();
        return false;
    }
    char name[256];
    if (::ptsname_r(master_, name, sizeof name) != 0) {
        error = std::string("ptsname: ") + std::strerror(errno);
        Close();
        return false;
    }
    slavePath_ = name;
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    // The line starts raw, like a serial port: the console's own settings come later.
    termios line{};
    if (::tcgetattr(master_, &line) == 0) {
        ::cfmakeraw(&line);
        if (const speed_t speed = BaudToSpeed(baud); speed != B0) {
            ::cfsetispeed(&line, speed);
            ::cfsetospeed(&line, speed);
        }
        ::tcsetattr(master_, TCSANOW, &line);
    }
    return true;
}

PtyLine::Event PtyLine::Wait(std::chrono::milliseconds timeout) {
    if (master_ < 0) {
        // Hung up: only a wake can end the wait.
        pollfd wake{wakeRead_, POLLIN, 0};
        return ::poll(&wake, 1, static_cast<int>(timeout.count())) > 0 ? Event::Woken
                                                                       : Event::Timeout;
    }
    pollfd fds[2] = {{master_, POLLIN, 0}, {wakeRead_, POLLIN, 0}};
    const int ready = ::poll(fds, 2, static_cast<int>(timeout.count()));
    if (ready <= 0) return Event::Timeout;
    if ((fds[1].revents & POLLIN) != 0) return Event::Woken;
    if ((fds[0].revents & POLLIN) != 0) return Event::Data;
    // POLLHUP without data: no slave is open. The master reports this at once and without
    // end, so the caller pauses before it looks again.
    return Event::NoPeer;
}

int PtyLine::Read(std::uint8_t* bytes, int capacity) {
    if (master_ < 0) return 0;
    const ssize_t got = ::read(master_, bytes, static_cast<std::size_t>(capacity));
    return got > 0 ? static_cast<int>(got) : 0;
}

bool PtyLine::Write(const std::uint8_t* bytes, int count) {
    // Gives up when the console leaves its end closed for this long with the queue full.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    int written = 0;
    while (written < count) {
        if (master_ < 0) return false;
        const ssize_t n =
            ::write(master_, bytes + written, static_cast<std::size_t>(count - written));
        if (n > 0) {
            written += static_cast<int>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) return false;
        pollfd fds[2] = {{master_, POLLOUT, 0}, {wakeRead_, POLLIN, 0}};
        if (::poll(fds, 2, PollTimeout(deadline)) <= 0) return false;
        if ((fds[1].revents & POLLIN) != 0) return false;
    }
    return true;
}

bool PtyLine::SleepUntil(std::chrono::steady_clock::time_point deadline) {
    // The default slack of 50 us would land every paced reply that much late.
    thread_local const bool precise = ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL) == 0;
    (void)precise;
    for (;;) {
        const auto left = deadline - std::chrono::steady_clock::now();
        if (left <= std::chrono::steady_clock::duration::zero()) return true;
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
        const timespec span{static_cast<time_t>(ns / 1000000000),
                            static_cast<long>(ns % 1000000000)};
        pollfd wake{wakeRead_, POLLIN, 0};
        const int ready = ::ppoll(&wake, 1, &span, nullptr);
        if (ready > 0) return false;
        if (ready < 0 && errno != EINTR) return false;
    }
}

int PtyLine::LineBaud() const {
    // On Linux the master reports the settings the slave's user made.
    termios line{};
    if (master_ < 0 || ::tcgetattr(master_, &line) != 0) return 0;
    return SpeedToBaud(::cfgetospeed(&line));
}

void PtyLine::Wake() {
    const std::uint8_t token = 1;
    [[maybe_unused]] const ssize_t n = ::write(wakeWrite_, &token, 1);
}

void PtyLine::ClearWake() {
    std::uint8_t drain[64];
    while (::read(wakeRead_, drain, sizeof drain) > 0) {
    }
}

void PtyLine::HangUp() {
    Close();
}

void PtyLine::Close() {
    if (master_ >= 0) ::close(master_);
    master_ = -1;
}
