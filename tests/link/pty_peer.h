#pragma once
// A pseudo-terminal standing in for the module: the test holds the master side, the code under
// test opens the slave through a COMn link in a private port directory.
#include <termios.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

class PtyPeer {
public:
    // Publishes the slave as COM<port> in a new temporary directory named by K7R2_PORT_DIR.
    explicit PtyPeer(int port);
    ~PtyPeer();
    PtyPeer(const PtyPeer&) = delete;
    PtyPeer& operator=(const PtyPeer&) = delete;

    int port() const { return port_; }
    const std::string& slavePath() const { return slavePath_; }
    const std::string& portDir() const { return dir_; }

    // Writes bytes as the module would send them; false on failure.
    bool Send(const Bytes& bytes) const;
    // Reads what the console sent until `count` bytes arrived or the deadline passed.
    Bytes Receive(std::size_t count, std::chrono::milliseconds timeout) const;
    // Receives one request frame (header, announced payload, checksum).
    Bytes ReceiveFrame(std::chrono::milliseconds timeout) const;
    // The slave's line settings, as whoever opened it last left them; on Linux the master reads
    // and writes the slave's. False on failure.
    bool GetLine(termios& line) const;
    bool SetLine(const termios& line) const;
    // Closes the master side: the slave sees a hang-up.
    void HangUp();

private:
    int port_;
    int master_ = -1;
    std::string slavePath_;
    std::string dir_;
};

// Answers one request frame with a scripted reply from its own thread, then ends.
class OneShotResponder {
public:
    OneShotResponder(const PtyPeer& peer, Bytes reply);
    ~OneShotResponder();
    OneShotResponder(const OneShotResponder&) = delete;
    OneShotResponder& operator=(const OneShotResponder&) = delete;
    // Waits for the thread and returns the request it saw.
    Bytes Request();

private:
    Bytes request_;
    std::thread thread_;
};

// A frame as the module sends it: header with the data length, data, checksum.
Bytes ModuleReply(std::uint8_t address, std::uint8_t command, const Bytes& data);
