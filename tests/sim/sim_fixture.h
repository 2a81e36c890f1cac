#pragma once
// A simulated module published in a private port directory, and the console's own link code
// talking to it.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "link/frame.h"
#include "link/serial_port.h"
#include "sim/simulated_module.h"

using Bytes = std::vector<std::uint8_t>;

// A fresh $K7R2_PORT_DIR for one test, removed afterwards.
class TempPortDir {
public:
    TempPortDir() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "k7r2-sim-ports-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        dir_ = pattern;
        setenv("K7R2_PORT_DIR", dir_.c_str(), 1);
    }
    ~TempPortDir() {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
        unsetenv("K7R2_PORT_DIR");
    }
    TempPortDir(const TempPortDir&) = delete;
    TempPortDir& operator=(const TempPortDir&) = delete;
    const std::string& path() const { return dir_; }

private:
    std::string dir_;
};

constexpr int kSimPort = 7;

class SimFixture : public testing::Test {
protected:
    // Options the tests start from: published, fast, a short search.
    static SimOptions FastOptions() {
        SimOptions options;
        options.port = kSimPort;
        options.paceBytes = false;
        options.searchDuration = std::chrono::milliseconds(300);
        return options;
    }

    void StartModule(SimOptions options) {
        module_ = std::make_unique<SimulatedModule>(std::move(options));
        ASSERT_TRUE(module_->Start()) << module_->LastError();
    }

    CommPort OpenPort(int baud = 9600) const {
        PollSettings settings;
        settings.port = kSimPort;
        settings.baud = baud;
        return OpenCommPort(settings, TimeoutProfile::Interactive);
    }

    static Bytes Request(int address, std::uint8_t command, const Bytes& payload = {}) {
        return BuildRequest(address, command, payload.data(), static_cast<int>(payload.size()));
    }

    static void Send(CommPort& port, const Bytes& bytes) {
        ASSERT_EQ(port.Write(bytes.data(), static_cast<int>(bytes.size())),
                  static_cast<int>(bytes.size()));
    }

    // Exactly `count` bytes, or fewer when they do not come within the wait.
    static Bytes Receive(CommPort& port, int count, std::uint32_t waitMs = 3000) {
        port.WaitForInput(static_cast<std::uint16_t>(count), waitMs);
        Bytes bytes(static_cast<std::size_t>(count));
        const int got = port.Read(bytes.data(), count);
        bytes.resize(static_cast<std::size_t>(got));
        return bytes;
    }

    TempPortDir portDir_;
    std::unique_ptr<SimulatedModule> module_;
};

// The reply a correct module gives: its header, `dataSize` data bytes and a matching checksum.
inline testing::AssertionResult IsReply(const Bytes& reply, int address, std::uint8_t command,
                                        int dataSize) {
    const auto expected = static_cast<std::size_t>(dataSize + kFrameOverhead);
    if (reply.size() != expected) {
        return testing::AssertionFailure() << "size " << reply.size() << ", wanted " << expected;
    }
    const Bytes header = {kFrameStart,
                          0x3F,
                          0x00,
                          static_cast<std::uint8_t>(address),
                          command,
                          static_cast<std::uint8_t>(dataSize >> 8),
                          static_cast<std::uint8_t>(dataSize & 0xFF)};
    if (!std::equal(header.begin(), header.end(), reply.begin())) {
        return testing::AssertionFailure() << "unexpected header";
    }
    const std::uint16_t sum = FrameChecksum(reply.data(), dataSize + kFrameHeaderSize);
    if (reply[expected - 2] != (sum >> 8) || reply[expected - 1] != (sum & 0xFF)) {
        return testing::AssertionFailure() << "checksum mismatch";
    }
    return testing::AssertionSuccess();
}
