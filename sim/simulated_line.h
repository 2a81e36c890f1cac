#pragma once
// What a simulated module and a simulated bus both need around their answering: the module's
// end of the pseudo-terminal, the link COMn in the port directory through which the console
// finds it, and the thread that serves the line. Started, published, stopped and withdrawn as
// one, so that a link never outlives its line nor points at a line that failed to start.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "sim/published_port.h"
#include "sim/pty_line.h"

class SimulatedLine {
public:
    // A request that stalls this long in the middle is abandoned.
    static constexpr std::chrono::milliseconds kStaleRequest{500};
    // How often the line is looked at while nobody has it open.
    static constexpr std::chrono::milliseconds kNoPeerPause{10};
    // What a garbling fault sends, byte after byte.
    static constexpr std::uint8_t kNoise[] = {0x00, 0xFF, 0x3F, 0x55, 0xAA, 0x0B, 0x80};

    SimulatedLine() = default;
    SimulatedLine(const SimulatedLine&) = delete;
    SimulatedLine& operator=(const SimulatedLine&) = delete;
    ~SimulatedLine() { Stop(); }

    // Opens the line at `baud`, publishes it as COM<port> in `directory` (port 0: not at all;
    // an empty directory: PortDirectory()) and runs `serve` on a thread of its own until Stop().
    // False (see LastError()) when already started or when the line or its link cannot be made.
    bool Start(int baud, int port, const std::string& directory, std::function<void()> serve);
    // Makes Stopping() true and wakes the line's waits, so that `serve` returns; joins it, then
    // withdraws the link and closes the line. Idempotent; Start may follow.
    void Stop();
    // What `serve` looks at between its waits on the line.
    bool Stopping() const { return stopping_; }
    // The line `serve` reads and writes.
    PtyLine& Pty() { return line_; }

    std::string LastError() const;
    std::string SlavePath() const;      // the last line's slave device, also after Stop()
    std::string PublishedPath() const;  // empty when not published, or stopped

private:
    PtyLine line_;
    PublishedPort published_;
    std::thread thread_;
    std::atomic<bool> stopping_{false};

    mutable std::mutex mutex_;
    bool started_ = false;
    std::string error_;
    std::string slavePath_;
    std::string publishedPath_;
};
