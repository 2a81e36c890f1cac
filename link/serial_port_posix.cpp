// POSIX serial backend: a terminal device opened non-blocking, with the blocking, timed
// behaviour of the port built on poll().
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#if __has_include(<linux/serial.h>)
#include <linux/serial.h>
#endif

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <deque>
#include <memory>
#include <thread>

#include "link/port_directory.h"
#include "link/serial_port.h"
#include "link/serial_port_impl.h"
#include "link/taken_input.h"
#include "link/wire_time.h"

namespace {

using Clock = std::chrono::steady_clock;

struct BaudCode {
    int rate;
    speed_t code;
};

constexpr BaudCode kStandardRates[] = {
    {50, B50},           {75, B75},           {110, B110},         {134, B134},
    {150, B150},         {200, B200},         {300, B300},         {600, B600},
    {1200, B1200},       {1800, B1800},       {2400, B2400},       {4800, B4800},
    {9600, B9600},       {19200, B19200},     {38400, B38400},     {57600, B57600},
    {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000},
    {1500000, B1500000}, {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000},
    {3500000, B3500000}, {4000000, B4000000},
};

// A real driver rejects rates outside its table, a pseudo-terminal accepts anything; refusing
// them here makes both behave alike.
bool SpeedCodeOf(int rate, speed_t& code) {
    for (const BaudCode& entry : kStandardRates) {
        if (entry.rate == rate) {
            code = entry.code;
            return true;
        }
    }
    return false;
}

int MillisecondsUntil(Clock::time_point deadline) {
    const auto left = deadline - Clock::now();
    if (left <= Clock::duration::zero()) return 0;
    // Round up so that poll never wakes just before the deadline and spins.
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
    return static_cast<int>(std::min<long long>(ms, 1 << 30));
}

constexpr short kGone = POLLHUP | POLLERR | POLLNVAL;

// Errors of a read or write that only mean "not now"; anything else means the device is gone.
bool Transient(int error) {
    return error == EAGAIN || error == EWOULDBLOCK || error == EINTR;
}

// Every flag the line depends on, set outright: a tty keeps whatever the program before us left
// (hardware or software flow control, parity, a cooked mode), and cfmakeraw clears only part of
// it. 8N1, receiver on, modem status ignored, no flow control of either kind, no byte is special.
void SetLine(termios& line, speed_t speed) {
    line.c_iflag = 0;  // no IXON/IXOFF/IXANY, no CR or parity handling, no stripping
    line.c_oflag = 0;
    line.c_lflag = 0;  // no canonical mode, echo or signal characters
    // HUPCL drops DTR and RTS when the port closes, so the line rests between commands.
    line.c_cflag = CS8 | CREAD | CLOCAL | HUPCL;  // no CRTSCTS, PARENB, CSTOPB
    std::memset(line.c_cc, 0, sizeof line.c_cc);
    // The port is non-blocking; VMIN 1 makes a read of an empty queue fail with EAGAIN, where
    // VMIN 0 would return 0, indistinguishable from a hang-up.
    line.c_cc[VMIN] = 1;
    line.c_cc[VTIME] = 0;
    cfsetispeed(&line, speed);
    cfsetospeed(&line, speed);
}

bool LineIsSet(const termios& line) {
    constexpr tcflag_t kInputFlow = IXON | IXOFF | IXANY;
    constexpr tcflag_t kFrame = CSIZE | PARENB | CSTOPB | CRTSCTS | CREAD | CLOCAL;
    return (line.c_iflag & kInputFlow) == 0 && (line.c_cflag & kFrame) == (CS8 | CREAD | CLOCAL) &&
           (line.c_lflag & (ICANON | ECHO | ISIG)) == 0 && (line.c_oflag & OPOST) == 0;
}

// Besides flushing before close, tell the driver not to wait for the output queue at all. Only
// real serial drivers know the request, and changing it may need privileges: best effort.
void DiscardOutputAtClose(int fd) {
#if defined(TIOCGSERIAL) && defined(ASYNC_CLOSING_WAIT_NONE)
    serial_struct serial{};
    if (ioctl(fd, TIOCGSERIAL, &serial) == 0 && serial.closing_wait != ASYNC_CLOSING_WAIT_NONE) {
        serial.closing_wait = ASYNC_CLOSING_WAIT_NONE;
        ioctl(fd, TIOCSSERIAL, &serial);
    }
#else
    (void)fd;
#endif
}

class PosixPort final : public CommPort::Impl {
public:
    PosixPort(int fd, CommTimeouts timeouts, int baud)
        : fd_(fd), timeouts_(timeouts), byteTime_(ByteTimeAt(baud)) {}
    PosixPort(const PosixPort&) = delete;
    PosixPort& operator=(const PosixPort&) = delete;

    ~PosixPort() override {
        // A leftover exclusive flag on a pseudo-terminal whose other end stays open would make
        // the next unprivileged open fail; the lock goes with the descriptor.
        ioctl(fd_, TIOCNXCL);
        // Output still queued would hold close() in the kernel's closing wait (up to 30 s on a
        // real port); nobody wants the unsent tail of an abandoned request.
        tcflush(fd_, TCOFLUSH);
        close(fd_);
    }

    bool Lost() const override { return lost_; }

    int Write(const std::uint8_t* bytes, int count) override {
        const auto deadline =
            Clock::now() + std::chrono::milliseconds(timeouts_.writeTotalConstant +
                                                     std::uint64_t{timeouts_.writeTotalMultiplier} *
                                                         static_cast<unsigned>(count));
        int written = 0;
        while (written < count) {
            const ssize_t n = write(fd_, bytes + written, static_cast<size_t>(count - written));
            if (n > 0) {
                written += static_cast<int>(n);
                continue;
            }
            if (n < 0 && errno == EINTR) continue;
            if (n < 0 && !Transient(errno)) {
                lost_ = true;
                break;
            }
            const int waitMs = MillisecondsUntil(deadline);
            if (waitMs == 0) break;
            pollfd entry{fd_, POLLOUT, 0};
            const int ready = poll(&entry, 1, waitMs);
            if (ready < 0 && errno == EINTR) continue;
            if (ready > 0 && (entry.revents & kGone) != 0) lost_ = true;
            if (ready <= 0 || lost_) break;
        }
        return written;
    }

    int Read(std::uint8_t* bytes, int count) override {
        const auto deadline =
            Clock::now() + std::chrono::milliseconds(timeouts_.readTotalConstant +
                                                     std::uint64_t{timeouts_.readTotalMultiplier} *
                                                         static_cast<unsigned>(count));
        int got = TakeFromInput(queue_, bytes, count);
        bool lastLook = false;
        while (got < count) {
            const ssize_t n = read(fd_, bytes + got, static_cast<size_t>(count - got));
            if (n > 0) {
                got += static_cast<int>(n);
                continue;
            }
            if (n < 0 && errno == EINTR) continue;
            // End of file (with VMIN 1 only after a hang-up) or an I/O error: the device is gone.
            if (n == 0 || !Transient(errno)) {
                lost_ = true;
                break;
            }
            if (lastLook) break;
            const int waitMs = MillisecondsUntil(deadline);
            if (waitMs == 0) break;
            pollfd entry{fd_, POLLIN, 0};
            const int ready = poll(&entry, 1, waitMs);
            if (ready < 0 && errno == EINTR) continue;
            if (ready < 0) break;
            // After the deadline or a hang-up, take what is still there and stop.
            if (ready > 0 && (entry.revents & kGone) != 0) lost_ = true;
            if (ready == 0 || lost_) lastLook = true;
        }
        return got;
    }

    unsigned QueuedInput() override {
        int pending = 0;
        if (ioctl(fd_, FIONREAD, &pending) != 0 || pending < 0) {
            // The device is gone; only the bytes already taken in can still be read.
            lost_ = true;
            return static_cast<unsigned>(queue_.size());
        }
        return static_cast<unsigned>(queue_.size()) + static_cast<unsigned>(pending);
    }

    unsigned QueuedOutput() override {
        int pending = 0;
        return ioctl(fd_, TIOCOUTQ, &pending) == 0 && pending > 0 ? static_cast<unsigned>(pending)
                                                                   : 0;
    }

    unsigned WaitForInput(std::uint16_t wanted, std::uint32_t timeoutMs) override {
        const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        bool deadlineReached = false;
        unsigned seen = 0;  // queued at the previous look
        for (;;) {
            // Bytes read into the userspace queue no longer keep poll() readable, so the next
            // wake-up means new bytes (or a hang-up), never a spin on old ones.
            const bool alive = Drain(wanted);
            const unsigned queued = static_cast<unsigned>(queue_.size());
            if (queued >= wanted) return QueuedInput();  // with what else has come
            if (!alive || deadlineReached) return queued;
            // Only while the reply flows: a silent line is waited for by one poll().
            const bool flowing = queued > seen;
            seen = queued;
            if (flowing && SleepThroughWireTime(byteTime_, wanted - queued, deadline)) continue;
            const int waitMs = MillisecondsUntil(deadline);
            if (waitMs == 0) return queued;
            pollfd entry{fd_, POLLIN, 0};
            const int ready = poll(&entry, 1, waitMs);
            if (ready < 0 && errno != EINTR) return queued;
            // Look once more after the deadline or a hang-up, then stop.
            if (ready > 0 && (entry.revents & kGone) != 0) lost_ = true;
            if (ready == 0 || lost_) deadlineReached = true;
        }
    }

    void Purge() override {
        tcflush(fd_, TCIOFLUSH);
        queue_.clear();
    }

private:
    // Moves readable bytes into the userspace queue until it holds `wanted` or the kernel has no
    // more. False when the device has gone away (end of file or an I/O error).
    bool Drain(std::uint16_t wanted) {
        std::uint8_t chunk[512];
        while (queue_.size() < wanted) {
            const ssize_t n = read(fd_, chunk, sizeof chunk);
            if (n > 0) {
                queue_.insert(queue_.end(), chunk, chunk + n);
                // A terminal hands over all it has: a short read means none is left.
                if (static_cast<std::size_t>(n) < sizeof chunk) return true;
                continue;
            }
            if (n < 0 && errno == EINTR) continue;
            if (n < 0 && Transient(errno)) return true;
            lost_ = true;
            return false;
        }
        return true;
    }

    int fd_;
    CommTimeouts timeouts_;
    std::chrono::nanoseconds byteTime_;
    std::deque<std::uint8_t> queue_;
    bool lost_ = false;
};

}  // namespace

std::string CommPortPath(int port) { return ResolvePortPath(port); }

CommPort OpenCommPort(const PollSettings& settings, TimeoutProfile profile) {
    return OpenCommPortAt(CommPortPath(settings.port), settings, profile);
}

CommPort OpenCommPortAt(const std::string& path, const PollSettings& settings,
                        TimeoutProfile profile) {
    if (path.empty()) return CommPort();
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return CommPort();
    // TIOCEXCL keeps other processes out, but not root; the lock holds against everyone who
    // opens the port through this code.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        return CommPort();
    }
    ioctl(fd, TIOCEXCL);
    // From here the port owns the descriptor and undoes the exclusive flag when it closes.
    auto impl = std::make_unique<PosixPort>(fd, TimeoutsOf(profile), settings.baud);

    speed_t speed = B0;
    if (!SpeedCodeOf(settings.baud, speed)) return CommPort();
    termios line{};
    if (tcgetattr(fd, &line) != 0) std::memset(&line, 0, sizeof line);
    SetLine(line, speed);
    if (tcsetattr(fd, TCSANOW, &line) != 0) return CommPort();
    // tcsetattr succeeds when any one change took; a driver that keeps flow control or a frame
    // of its own would leave a line that never talks.
    termios applied{};
    if (tcgetattr(fd, &applied) != 0 || !LineIsSet(applied)) return CommPort();
    DiscardOutputAtClose(fd);

    // The kernel raised DTR and RTS when the device opened. DTR goes down again, as the
    // console's Windows build leaves it; RTS stays up (see the README).
    int dtr = TIOCM_DTR;
    ioctl(fd, TIOCMBIC, &dtr);  // a pseudo-terminal has no modem lines; that is fine
    impl->Purge();
    return CommPort(std::move(impl));
}
