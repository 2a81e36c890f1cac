#pragma once
// One serial port, opened exclusively, with one of two timeout profiles.
// The backends (serial_port_posix.cpp, serial_port_win32.cpp) implement CommPort::Impl.
#include <cstdint>
#include <memory>
#include <string>

#include "link/poll_settings.h"

enum class TimeoutProfile { Interactive, Polling };

struct CommTimeouts {
    std::uint32_t readInterval;
    std::uint32_t readTotalMultiplier;
    std::uint32_t readTotalConstant;
    std::uint32_t writeTotalMultiplier;
    std::uint32_t writeTotalConstant;
};

CommTimeouts TimeoutsOf(TimeoutProfile profile);

// "\\.\COM%d": the name Windows opens; POSIX resolves the number itself (ResolvePortPath).
std::string DeviceName(int port);

// An open port; closes itself when its owner is done. Move-only.
class CommPort {
public:
    struct Impl;

    CommPort();
    explicit CommPort(std::unique_ptr<Impl> impl);
    CommPort(CommPort&&) noexcept;
    CommPort& operator=(CommPort&&) noexcept;
    CommPort(const CommPort&) = delete;
    CommPort& operator=(const CommPort&) = delete;
    ~CommPort();

    bool IsOpen() const;
    explicit operator bool() const { return IsOpen(); }

    // Blocking write bounded by the profile's write timeout; returns the count written.
    int Write(const std::uint8_t* bytes, int count);
    // Blocking read of up to count bytes, bounded by the profile's total read timeout
    // (constant + multiplier * count); returns the count read.
    int Read(std::uint8_t* bytes, int count);
    // Bytes waiting in the input queue; 0 when the query fails (the device is gone), apart from
    // bytes a backend had already taken in from it, which Read still delivers.
    unsigned QueuedInput();
    // Bytes written but not yet handed to the line (0 where the device does not say, as a
    // pseudo-terminal whose peer has read them): how long a request is still on its way.
    unsigned QueuedOutput();
    // Waits until at least `wanted` bytes are queued or the timeout has passed;
    // returns the queued count at its last look (possibly more than wanted, or fewer).
    unsigned WaitForInput(std::uint16_t wanted, std::uint32_t timeoutMs);
    // Empties both queues.
    void Purge();
    // True once the device reported a hang-up or an I/O error (an unplugged adapter): unlike a
    // silent module, nothing will ever come through this port again. False for a closed port.
    bool Lost() const;
    // Discards pending output first, so that closing never waits for a line that does not drain.
    void Close();

private:
    std::unique_ptr<Impl> impl_;
};

// Opens port settings.port at settings.baud, 8N1, raw, no flow control, DTR off, with the
// profile's timeouts and both queues purged, whatever the device was left with. Returns a closed
// CommPort on any failure; shows nothing.
CommPort OpenCommPort(const PollSettings& settings, TimeoutProfile profile);
// The same at a device path decided beforehand (settings.port is not looked at); see PortTarget.
CommPort OpenCommPortAt(const std::string& path, const PollSettings& settings,
                        TimeoutProfile profile);
// The device path OpenCommPort opens for this port number right now: POSIX resolves the COMn
// link or /dev/ttyS<n-1> (ResolvePortPath), Windows names the port (DeviceName).
std::string CommPortPath(int port);

inline unsigned WaitForInput(CommPort& port, std::uint16_t wanted, std::uint32_t timeoutMs) {
    return port.WaitForInput(wanted, timeoutMs);
}
