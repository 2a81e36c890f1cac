// Win32 serial backend: blocking I/O on a COM device with driver-side timeouts.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <deque>
#include <memory>
#include <vector>

#include "link/serial_port.h"
#include "link/serial_port_impl.h"
#include "link/taken_input.h"
#include "link/wire_time.h"
#include "link/wide_text_win32.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr DWORD kInputQueueSize = 1024;
constexpr DWORD kOutputQueueSize = 512;
constexpr DWORD kPurgeAll = PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR;

// What the drivers of USB serial adapters answer once the device is unplugged; the handle is
// useless from then on. A silent module only ever makes reads come back short.
bool DeviceGone(DWORD error) {
    switch (error) {
        case ERROR_BAD_COMMAND:
        case ERROR_OPERATION_ABORTED:
        case ERROR_ACCESS_DENIED:
        case ERROR_INVALID_HANDLE:
        case ERROR_GEN_FAILURE:
        case ERROR_DEVICE_NOT_CONNECTED:
        case ERROR_DEVICE_REMOVED:
            return true;
        default:
            return false;
    }
}

DWORD MillisecondsUntil(Clock::time_point deadline) {
    const auto left = deadline - Clock::now();
    if (left <= Clock::duration::zero()) return 0;
    // Round up, so that a wait never ends just short of its deadline and has to go round again.
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
    // MAXDWORD means "no timeout" in a read's total constant.
    return static_cast<DWORD>(std::min<long long>(ms, MAXDWORD - 1));
}

bool SameTimeouts(const COMMTIMEOUTS& a, const COMMTIMEOUTS& b) {
    return a.ReadIntervalTimeout == b.ReadIntervalTimeout &&
           a.ReadTotalTimeoutMultiplier == b.ReadTotalTimeoutMultiplier &&
           a.ReadTotalTimeoutConstant == b.ReadTotalTimeoutConstant &&
           a.WriteTotalTimeoutMultiplier == b.WriteTotalTimeoutMultiplier &&
           a.WriteTotalTimeoutConstant == b.WriteTotalTimeoutConstant;
}

class Win32Port final : public CommPort::Impl {
public:
    Win32Port(HANDLE handle, const COMMTIMEOUTS& profile, int baud)
        : handle_(handle), profile_(profile), applied_(profile), byteTime_(ByteTimeAt(baud)) {}
    Win32Port(const Win32Port&) = delete;
    Win32Port& operator=(const Win32Port&) = delete;
    ~Win32Port() override {
        // Closing waits for queued output to drain; nobody wants the tail of an abandoned request.
        PurgeComm(handle_, PURGE_TXABORT | PURGE_TXCLEAR);
        CloseHandle(handle_);
    }

    int Write(const std::uint8_t* bytes, int count) override {
        DWORD written = 0;
        if (!WriteFile(handle_, bytes, static_cast<DWORD>(count), &written, nullptr)) {
            NoteFailure();
            return 0;
        }
        return static_cast<int>(written);
    }

    int Read(std::uint8_t* bytes, int count) override {
        int got = TakeFromInput(queue_, bytes, count);
        if (got == count) return got;
        DWORD more = 0;
        if (!Apply(profile_) ||
            !ReadFile(handle_, bytes + got, static_cast<DWORD>(count - got), &more, nullptr)) {
            NoteFailure();
            return got;
        }
        return got + static_cast<int>(more);
    }

    unsigned QueuedInput() override {
        DWORD errors = 0;
        COMSTAT status{};
        if (!ClearCommError(handle_, &errors, &status)) {
            // The device is gone; only the bytes already taken in can still be read.
            NoteFailure();
            return static_cast<unsigned>(queue_.size());
        }
        return static_cast<unsigned>(queue_.size()) + status.cbInQue;
    }

    unsigned QueuedOutput() override {
        DWORD errors = 0;
        COMSTAT status{};
        return ClearCommError(handle_, &errors, &status) ? status.cbOutQue : 0;
    }

    bool Lost() const override { return lost_; }

    // The wait reads the missing bytes into our own queue, and the driver times the read: a
    // silent line costs one read that ends at the deadline, where looking at the input queue
    // every few milliseconds kept a core busy under Wine. Once a reply flows, the wait sleeps
    // through most of the missing bytes' wire time rather than waking for every few of them;
    // the last byte or so is read as it lands. (Windows' own timer may stretch a short sleep to
    // its tick; the reply is complete all the same.)
    unsigned WaitForInput(std::uint16_t wanted, std::uint32_t timeoutMs) override {
        const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        auto seen = queue_.size();  // queued at the previous look
        while (queue_.size() < wanted && !lost_) {
            // What has come already (an adapter may hold a whole reply) is taken at once.
            if (!ReadIntoQueue(wanted - static_cast<unsigned>(queue_.size()), 0)) break;
            const auto queued = queue_.size();
            if (queued >= wanted) break;
            const auto missing = wanted - static_cast<unsigned>(queued);
            const bool flowing = queued > seen;
            seen = queued;
            if (flowing && SleepThroughWireTime(byteTime_, missing, deadline)) continue;
            const DWORD left = MillisecondsUntil(deadline);
            if (left == 0) break;
            // One read that the driver ends as the bytes land or at the deadline: the first
            // byte of a reply on a silent line, or the last few of one under way.
            if (!ReadIntoQueue(flowing ? missing : 1, left)) break;
        }
        return QueuedInput();  // with what else has come
    }

    void Purge() override {
        PurgeComm(handle_, kPurgeAll);
        queue_.clear();
    }

private:
    void NoteFailure() {
        if (DeviceGone(GetLastError())) lost_ = true;
    }

    // The read timeouts change per wait; the write timeouts always stay the profile's.
    bool Apply(COMMTIMEOUTS timeouts) {
        if (SameTimeouts(timeouts, applied_)) return true;
        if (!SetCommTimeouts(handle_, &timeouts)) return false;
        applied_ = timeouts;
        return true;
    }

    // Reads up to `count` bytes into the queue: with `ms` 0 only what has come already, else
    // until all of them are in or `ms` has passed (no interval timeout: a reply arriving in
    // pieces does not end the read early). False on a failure.
    bool ReadIntoQueue(unsigned count, DWORD ms) {
        COMMTIMEOUTS timeouts = profile_;
        timeouts.ReadIntervalTimeout = ms == 0 ? MAXDWORD : 0;
        timeouts.ReadTotalTimeoutMultiplier = 0;
        timeouts.ReadTotalTimeoutConstant = ms;
        chunk_.resize(count);
        DWORD got = 0;
        if (!Apply(timeouts) || !ReadFile(handle_, chunk_.data(), count, &got, nullptr)) {
            NoteFailure();
            return false;
        }
        queue_.insert(queue_.end(), chunk_.begin(), chunk_.begin() + got);
        return true;
    }

    HANDLE handle_;
    const COMMTIMEOUTS profile_;
    COMMTIMEOUTS applied_;
    // Bytes a wait has taken from the driver and Read has not yet delivered.
    std::deque<std::uint8_t> queue_;
    std::vector<std::uint8_t> chunk_;
    const std::chrono::nanoseconds byteTime_;
    bool lost_ = false;
};

}  // namespace

std::string CommPortPath(int port) { return DeviceName(port); }

CommPort OpenCommPort(const PollSettings& settings, TimeoutProfile profile) {
    return OpenCommPortAt(CommPortPath(settings.port), settings, profile);
}

CommPort OpenCommPortAt(const std::string& name, const PollSettings& settings,
                        TimeoutProfile profile) {
    if (name.empty()) return CommPort();
    HANDLE handle = CreateFileW(WideFromUtf8(name).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return CommPort();
    const CommTimeouts profileTimeouts = TimeoutsOf(profile);
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = profileTimeouts.readInterval;
    timeouts.ReadTotalTimeoutMultiplier = profileTimeouts.readTotalMultiplier;
    timeouts.ReadTotalTimeoutConstant = profileTimeouts.readTotalConstant;
    timeouts.WriteTotalTimeoutMultiplier = profileTimeouts.writeTotalMultiplier;
    timeouts.WriteTotalTimeoutConstant = profileTimeouts.writeTotalConstant;
    auto port = std::make_unique<Win32Port>(handle, timeouts, settings.baud);

    DCB line{};
    line.DCBlength = sizeof line;
    if (!GetCommState(handle, &line)) {
        GetLastError();  // keep going from a defined record
        line = DCB{};
        line.DCBlength = sizeof line;
    }
    // A negative rate would reach the driver as an enormous unsigned number.
    if (settings.baud <= 0) return CommPort();
    line.BaudRate = static_cast<DWORD>(settings.baud);
    line.ByteSize = 8;
    line.Parity = NOPARITY;
    line.StopBits = ONESTOPBIT;
    line.fDtrControl = DTR_CONTROL_DISABLE;
    line.fAbortOnError = FALSE;
    if (!SetCommState(handle, &line)) return CommPort();

    DWORD errors = 0;
    ClearCommError(handle, &errors, nullptr);

    SetCommTimeouts(handle, &timeouts);
    SetupComm(handle, kInputQueueSize, kOutputQueueSize);
    PurgeComm(handle, kPurgeAll);
    return CommPort(std::move(port));
}
