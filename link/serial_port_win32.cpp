// Win32 serial backend: blocking I/O on a COM device with driver-side timeouts.
#include <windows.h>

#include <memory>

#include "link/serial_port.h"
#include "link/serial_port_impl.h"
#include "link/sleep_ms.h"
#include "link/wide_text_win32.h"

namespace {

constexpr DWORD kInputQueueSize = 1024;
constexpr DWORD kOutputQueueSize = 512;
constexpr DWORD kPurgeAll = PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR;
constexpr DWORD kWaitPollMs = 2;

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

class Win32Port final : public CommPort::Impl {
public:
    explicit Win32Port(HANDLE handle) : handle_(handle) {}
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
        DWORD got = 0;
        if (!ReadFile(handle_, bytes, static_cast<DWORD>(count), &got, nullptr)) {
            NoteFailure();
            return 0;
        }
        return static_cast<int>(got);
    }

    unsigned QueuedInput() override {
        DWORD errors = 0;
        COMSTAT status{};
        if (!ClearCommError(handle_, &errors, &status)) {
            NoteFailure();
            return 0;
        }
        return status.cbInQue;
    }

    unsigned QueuedOutput() override {
        DWORD errors = 0;
        COMSTAT status{};
        return ClearCommError(handle_, &errors, &status) ? status.cbOutQue : 0;
    }

    bool Lost() const override { return lost_; }

    unsigned WaitForInput(std::uint16_t wanted, std::uint32_t timeoutMs) override {
        // Tick arithmetic is modulo 2^32 like the counter itself, so a wrap mid-wait is harmless.
        const DWORD start = GetTickCount();
        for (;;) {
            const unsigned queued = QueuedInput();
            if (lost_) return queued;  // nothing more will come
            SleepMilliseconds(kWaitPollMs);
            if (queued >= wanted) return queued;
            if (GetTickCount() - start > timeoutMs) return queued;
        }
    }

    void Purge() override { PurgeComm(handle_, kPurgeAll); }

private:
    void NoteFailure() {
        if (DeviceGone(GetLastError())) lost_ = true;
    }

    HANDLE handle_;
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
    auto port = std::make_unique<Win32Port>(handle);

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

    const CommTimeouts profileTimeouts = TimeoutsOf(profile);
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = profileTimeouts.readInterval;
    timeouts.ReadTotalTimeoutMultiplier = profileTimeouts.readTotalMultiplier;
    timeouts.ReadTotalTimeoutConstant = profileTimeouts.readTotalConstant;
    timeouts.WriteTotalTimeoutMultiplier = profileTimeouts.writeTotalMultiplier;
    timeouts.WriteTotalTimeoutConstant = profileTimeouts.writeTotalConstant;
    SetCommTimeouts(handle, &timeouts);
    SetupComm(handle, kInputQueueSize, kOutputQueueSize);
    PurgeComm(handle, kPurgeAll);
    return CommPort(std::move(port));
}
