// The module's end of the line on Windows: a serial port joined to the console's port outside
// this process (under Wine, two pseudo-terminals the test harness copies between). Its number
// comes from K7R2_SIM_COM.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "sim/pty_line.h"

namespace {

HANDLE Port(void* port) { return static_cast<HANDLE>(port); }

}  // namespace

PtyLine::~PtyLine() {
    Close();
    if (wakeEvent_ != nullptr) ::CloseHandle(static_cast<HANDLE>(wakeEvent_));
}

bool PtyLine::Open(int baud, std::string& error) {
    const char* number = std::getenv("K7R2_SIM_COM");
    if (number == nullptr || std::atoi(number) <= 0) {
        error = "K7R2_SIM_COM names no port for the simulated module";
        return false;
    }
    wakeEvent_ = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    slavePath_ = std::string("\\\\.\\COM") + number;
    HANDLE port = ::CreateFileA(slavePath_.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    if (port == INVALID_HANDLE_VALUE) {
        error = "cannot open " + slavePath_ + " (error " + std::to_string(::GetLastError()) + ")";
        return false;
    }
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    ::GetCommState(port, &dcb);
    dcb.BaudRate = baud > 0 ? static_cast<DWORD>(baud) : CBR_9600;
    dcb.fBinary = TRUE;
    dcb.fParity = FALSE;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fOutxCtsFlow = dcb.fOutxDsrFlow = dcb.fOutX = dcb.fInX = FALSE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    ::SetCommState(port, &dcb);
    // Reads return at once with what is there; Wait() looks again until its timeout.
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = MAXDWORD;
    timeouts.WriteTotalTimeoutConstant = 2000;
    ::SetCommTimeouts(port, &timeouts);
    ::PurgeComm(port, PURGE_RXCLEAR | PURGE_TXCLEAR);
    port_ = port;
    master_ = 0;
    return true;
}

PtyLine::Event PtyLine::Wait(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (::WaitForSingleObject(static_cast<HANDLE>(wakeEvent_), 0) == WAIT_OBJECT_0) {
            return Event::Woken;
        }
        if (!pending_.empty()) return Event::Data;
        if (port_ != nullptr) {
            char buffer[256];
            DWORD got = 0;
            if (::ReadFile(Port(port_), buffer, sizeof buffer, &got, nullptr) && got > 0) {
                pending_.append(buffer, got);
                return Event::Data;
            }
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return Event::Timeout;
        ::WaitForSingleObject(static_cast<HANDLE>(wakeEvent_),
                              static_cast<DWORD>(std::min<long long>(left.count(), 2)));
    }
}

int PtyLine::Read(std::uint8_t* bytes, int capacity) {
    const int n = std::min(capacity, static_cast<int>(pending_.size()));
    std::memcpy(bytes, pending_.data(), static_cast<std::size_t>(n));
    pending_.erase(0, static_cast<std::size_t>(n));
    return n;
}

bool PtyLine::Write(const std::uint8_t* bytes, int count) {
    int written = 0;
    while (written < count) {
        if (port_ == nullptr) return false;
        if (::WaitForSingleObject(static_cast<HANDLE>(wakeEvent_), 0) == WAIT_OBJECT_0) {
            return false;
        }
        DWORD n = 0;
        if (!::WriteFile(Port(port_), bytes + written, static_cast<DWORD>(count - written), &n,
                         nullptr) ||
            n == 0) {
            return false;
        }
        written += static_cast<int>(n);
    }
    return true;
}

bool PtyLine::SleepUntil(std::chrono::steady_clock::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return true;
    return ::WaitForSingleObject(static_cast<HANDLE>(wakeEvent_),
                                 static_cast<DWORD>(left.count())) != WAIT_OBJECT_0;
}

// The console's rate is set on its own end, which this one cannot see.
int PtyLine::LineBaud() const { return 0; }

void PtyLine::Wake() { ::SetEvent(static_cast<HANDLE>(wakeEvent_)); }

void PtyLine::ClearWake() { ::ResetEvent(static_cast<HANDLE>(wakeEvent_)); }

void PtyLine::HangUp() { Close(); }

void PtyLine::Close() {
    if (port_ != nullptr) ::CloseHandle(Port(port_));
    port_ = nullptr;
    pending_.clear();
    master_ = -1;
}
