#pragma once
// The module's end of the serial line: the master side of a pseudo-terminal. The console opens
// the slave side, configures it and closes it again as often as it likes; the master outlives
// all of that. The backend (pty_line_posix.cpp) implements it; on Windows (pty_line_win32.cpp)
// the module's end is a serial port of its own, joined to the console's by the test harness.
#include <chrono>
#include <cstdint>
#include <string>

class PtyLine {
public:
    enum class Event { Data, NoPeer, Woken, Timeout };

    PtyLine() = default;
    PtyLine(const PtyLine&) = delete;
    PtyLine& operator=(const PtyLine&) = delete;
    ~PtyLine();

    // Creates the pseudo-terminal, raw at `baud` until the console sets its own rate (0 or an
    // unsupported rate leaves the system's default). False with `error` set when that fails.
    bool Open(int baud, std::string& error);
    const std::string& SlavePath() const { return slavePath_; }
    bool IsOpen() const { return master_ >= 0; }

    // Waits for received bytes, for a Wake() call or for the timeout. NoPeer: nobody has the
    // slave open (before the first open or after the console closed it).
    Event Wait(std::chrono::milliseconds timeout);
    // Reads what is queued, up to `capacity` bytes; 0 when nothing could be read.
    int Read(std::uint8_t* bytes, int capacity);
    // Writes all bytes unless the peer goes away or Wake() interrupts; false then.
    bool Write(const std::uint8_t* bytes, int count);
    // Sleeps until the deadline; false when Wake() cut the sleep short.
    bool SleepUntil(std::chrono::steady_clock::time_point deadline);
    // The bit rate the other side set on the line, 0 when it cannot be told.
    int LineBaud() const;

    // Interrupts Wait, Write and SleepUntil from another thread; sticky until ClearWake().
    void Wake();
    void ClearWake();
    // Closes the master: the console sees the line hang up and the slave device disappears.
    void HangUp();
    void Close();

private:
    int master_ = -1;
    int wakeRead_ = -1;
    int wakeWrite_ = -1;
    std::string slavePath_;
    void* port_ = nullptr;       // Windows: the port's handle
    void* wakeEvent_ = nullptr;  // Windows: set by Wake()
    std::string pending_;        // Windows: bytes Wait() has already taken from the port
};
