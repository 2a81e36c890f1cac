// The Win32 port's wait for input on a real line under Wine: COM1 and COM20 joined back to back
// by tests/wine/run_gtests.sh; this process writes on COM20 what COM1 waits for.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <thread>
#include <vector>

#include "link/serial_port.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

int PortFromEnvironment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::atoi(value) : 0;
}

CommPort OpenAt(int number) {
    PollSettings settings;
    settings.port = number;
    settings.baud = 9600;
    return OpenCommPort(settings, TimeoutProfile::Polling);
}

std::vector<std::uint8_t> Bytes(std::uint8_t first, int count) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) bytes[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(first + i);
    return bytes;
}

class Win32SerialWait : public ::testing::Test {
protected:
    void SetUp() override {
        const int waiting = PortFromEnvironment("K7R2_TEST_COM");
        const int writing = PortFromEnvironment("K7R2_SIM_COM");
        if (waiting == 0 || writing == 0) GTEST_SKIP() << "needs tests/wine/run_gtests.sh";
        port = OpenAt(waiting);
        peer = OpenAt(writing);
        ASSERT_TRUE(port.IsOpen());
        ASSERT_TRUE(peer.IsOpen());
    }

    void Send(const std::vector<std::uint8_t>& bytes) {
        ASSERT_EQ(peer.Write(bytes.data(), static_cast<int>(bytes.size())),
                  static_cast<int>(bytes.size()));
    }

    CommPort port;
    CommPort peer;
};

TEST_F(Win32SerialWait, BytesInPiecesEndTheWaitWhenAllAreInAndReadInOrder) {
    Send(Bytes(1, 3));
    ASSERT_EQ(port.WaitForInput(3, 10000), 3u);
    EXPECT_EQ(port.QueuedInput(), 3u) << "bytes a wait took in still count as queued";

    // The rest comes in two pieces while the wait is under way (paced like a slow module).
    std::thread writer([&] {
        std::this_thread::sleep_for(milliseconds(50));
        Send(Bytes(4, 3));
        std::this_thread::sleep_for(milliseconds(50));
        Send(Bytes(7, 4));
    });
    const auto began = Clock::now();
    const unsigned queued = port.WaitForInput(10, 20000);
    const auto waited = Clock::now() - began;
    writer.join();
    EXPECT_EQ(queued, 10u);
    EXPECT_LT(waited, milliseconds(15000)) << "the wait ran on to its deadline";

    std::vector<std::uint8_t> got(10);
    ASSERT_EQ(port.Read(got.data(), 10), 10);
    EXPECT_EQ(got, Bytes(1, 10));
    EXPECT_EQ(port.QueuedInput(), 0u);
    EXPECT_FALSE(port.Lost());
}

TEST_F(Win32SerialWait, ShortReplyWaitsOutItsTimeoutAndIsStillDelivered) {
    Send(Bytes(20, 2));
    const auto began = Clock::now();
    EXPECT_EQ(port.WaitForInput(5, 400), 2u);
    EXPECT_GE(Clock::now() - began, milliseconds(390)) << "a short reply ended the wait early";
    EXPECT_FALSE(port.Lost()) << "a silent module is not a lost device";

    std::vector<std::uint8_t> got(5);
    EXPECT_EQ(port.Read(got.data(), 5), 2);
    EXPECT_EQ(got[0], 20);
    EXPECT_EQ(got[1], 21);
}

TEST_F(Win32SerialWait, ReadJoinsTakenAndWaitingBytesAndPurgeDropsBoth) {
    Send(Bytes(30, 12));
    const unsigned queued = port.WaitForInput(4, 10000);
    EXPECT_GE(queued, 4u);
    EXPECT_LE(queued, 12u);
    std::vector<std::uint8_t> got(12);
    ASSERT_EQ(port.Read(got.data(), 12), 12);
    EXPECT_EQ(got, Bytes(30, 12));

    // A reply's late tail, taken in by a wait, must not be read as the start of the next one.
    Send(Bytes(50, 6));
    ASSERT_EQ(port.WaitForInput(6, 10000), 6u);
    port.Purge();
    EXPECT_EQ(port.QueuedInput(), 0u);
    EXPECT_EQ(port.WaitForInput(1, 100), 0u);
}

}  // namespace
