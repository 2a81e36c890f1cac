#include "tests/link/pty_peer.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <stdexcept>

#include "link/frame.h"

namespace {

using Clock = std::chrono::steady_clock;

int MsLeft(Clock::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

}  // namespace

PtyPeer::PtyPeer(int port) : port_(port) {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) {
        throw std::runtime_error("no pseudo-terminal available");
    }
    char name[128];
    if (ptsname_r(master_, name, sizeof name) != 0) throw std::runtime_error("ptsname failed");
    slavePath_ = name;
    // The master stays non-blocking so that every read of the test has a deadline.
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);

    std::string pattern = (std::filesystem::temp_directory_path() / "k7r2-ports-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    dir_ = pattern;
    std::filesystem::create_symlink(slavePath_, dir_ + "/COM" + std::to_string(port));
    setenv("K7R2_PORT_DIR", dir_.c_str(), 1);
}

PtyPeer::~PtyPeer() {
    HangUp();
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
}

bool PtyPeer::Send(const Bytes& bytes) const {
    std::size_t done = 0;
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    while (done < bytes.size()) {
        const ssize_t n = write(master_, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) return false;
        pollfd entry{master_, POLLOUT, 0};
        if (poll(&entry, 1, MsLeft(deadline)) <= 0) return false;
    }
    return true;
}

Bytes PtyPeer::Receive(std::size_t count, std::chrono::milliseconds timeout) const {
    Bytes got;
    const auto deadline = Clock::now() + timeout;
    while (got.size() < count) {
        std::uint8_t chunk[256];
        const std::size_t want = std::min(sizeof chunk, count - got.size());
        const ssize_t n = read(master_, chunk, want);
        if (n > 0) {
            got.insert(got.end(), chunk, chunk + n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n == 0 || errno != EAGAIN) break;
        pollfd entry{master_, POLLIN, 0};
        if (poll(&entry, 1, MsLeft(deadline)) <= 0) break;
        if ((entry.revents & POLLIN) == 0) break;
    }
    return got;
}

Bytes PtyPeer::ReceiveFrame(std::chrono::milliseconds timeout) const {
    const auto deadline = Clock::now() + timeout;
    Bytes frame = Receive(kFrameHeaderSize, timeout);
    if (frame.size() < kFrameHeaderSize) return frame;
    const std::size_t rest = static_cast<std::size_t>(frame[5] * 256 + frame[6] + 2);
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    const Bytes tail = Receive(rest, std::max(left, std::chrono::milliseconds(0)));
    frame.insert(frame.end(), tail.begin(), tail.end());
    return frame;
}

bool PtyPeer::GetLine(termios& line) const {
    return tcgetattr(master_, &line) == 0;
}

bool PtyPeer::SetLine(const termios& line) const {
    return tcsetattr(master_, TCSANOW, &line) == 0;
}

void PtyPeer::HangUp() {
    if (master_ >= 0) close(master_);
    master_ = -1;
}

OneShotResponder::OneShotResponder(const PtyPeer& peer, Bytes reply)
    : thread_([this, &peer, reply = std::move(reply)] {
          request_ = peer.ReceiveFrame(std::chrono::seconds(10));
          if (request_.size() >= kFrameOverhead) peer.Send(reply);
      }) {}

OneShotResponder::~OneShotResponder() {
    if (thread_.joinable()) thread_.join();
}

Bytes OneShotResponder::Request() {
    if (thread_.joinable()) thread_.join();
    return request_;
}

Bytes ModuleReply(std::uint8_t address, std::uint8_t command, const Bytes& data) {
    Bytes frame{kFrameStart,
                0x3F,
                0x00,
                address,
                command,
                static_cast<std::uint8_t>(data.size() >> 8),
                static_cast<std::uint8_t>(data.size() & 0xFF)};
    frame.insert(frame.end(), data.begin(), data.end());
    const std::uint16_t checksum = FrameChecksum(frame.data(), static_cast<int>(frame.size()));
    frame.push_back(static_cast<std::uint8_t>(checksum >> 8));
    frame.push_back(static_cast<std::uint8_t>(checksum & 0xFF));
    return frame;
}
