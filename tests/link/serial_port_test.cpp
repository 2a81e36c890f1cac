// The POSIX serial backend against a real pseudo-terminal.
#include "link/serial_port.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "link/port_directory.h"
#include "tests/link/child_process.h"
#include "tests/link/pty_peer.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr int kPort = 12;  // two digits: the number must reach the device name whole
constexpr uid_t kNobody = 65534;

PollSettings Settings(int baud = 9600) {
    PollSettings settings;
    settings.port = kPort;
    settings.baud = baud;
    return settings;
}

CommPort Open(TimeoutProfile profile = TimeoutProfile::Interactive) {
    return OpenCommPort(Settings(), profile);
}

class SerialPortTest : public testing::Test {
protected:
    PtyPeer peer_{kPort};
};

TEST(PortNaming, DeviceNamesAndLinks) {
    EXPECT_EQ(DeviceName(12), "\\\\.\\COM12");
    EXPECT_EQ(DeviceName(3), "\\\\.\\COM3");
    setenv("K7R2_PORT_DIR", "/nonexistent-k7r2-dir", 1);
    EXPECT_EQ(PortDirectory(), "/nonexistent-k7r2-dir");
    EXPECT_EQ(ResolvePortPath(1), "/dev/ttyS0");
    EXPECT_EQ(ResolvePortPath(12), "/dev/ttyS11");
    unsetenv("K7R2_PORT_DIR");
    const std::string home = getenv("HOME") != nullptr ? getenv("HOME") : "";
    setenv("HOME", "/home/op", 1);
    EXPECT_EQ(PortDirectory(), "/home/op/.config/k7r2/ports");
    setenv("HOME", home.c_str(), 1);
}

TEST_F(SerialPortTest, OpensATwoDigitPortThroughItsLink) {
    EXPECT_EQ(ResolvePortPath(kPort), peer_.portDir() + "/COM12");
    CommPort port = Open();
    ASSERT_TRUE(port.IsOpen());
    const std::uint8_t hello[] = {0x14, 0x3F, 0x00};
    EXPECT_EQ(port.Write(hello, 3), 3);
    EXPECT_EQ(peer_.Receive(3, 2s), Bytes(hello, hello + 3));
    ASSERT_TRUE(peer_.Send({0x01, 0x0A, 0x0D, 0x11, 0x13, 0xFF}));  // no byte is special
    std::uint8_t got[6] = {};
    EXPECT_EQ(port.Read(got, 6), 6);
    EXPECT_EQ(Bytes(got, got + 6), (Bytes{0x01, 0x0A, 0x0D, 0x11, 0x13, 0xFF}));
}

TEST_F(SerialPortTest, RefusesRatesADriverWouldReject) {
    for (const int baud : {0, -1, 12345, 4000001}) {
        EXPECT_FALSE(OpenCommPort(Settings(baud), TimeoutProfile::Interactive).IsOpen()) << baud;
    }
    // A refused open leaves nothing locked behind.
    for (const int baud : {1200, 9600, 19200, 38400}) {
        EXPECT_TRUE(OpenCommPort(Settings(baud), TimeoutProfile::Interactive).IsOpen()) << baud;
    }
}

TEST_F(SerialPortTest, MissingPortFailsToOpen) {
    PollSettings settings = Settings();
    settings.port = 99;  // no link, and no /dev/ttyS98 either
    EXPECT_FALSE(OpenCommPort(settings, TimeoutProfile::Interactive).IsOpen());
}

TEST_F(SerialPortTest, IsExclusiveWithinOneProcess) {
    CommPort first = Open();
    ASSERT_TRUE(first.IsOpen());
    EXPECT_FALSE(Open(TimeoutProfile::Polling).IsOpen());
    first.Close();
    EXPECT_TRUE(Open().IsOpen());
}

TEST_F(SerialPortTest, IsExclusiveBetweenProcesses) {
    const std::vector<std::string> tryOpen{"--try-open-port", std::to_string(kPort)};
    {
        CommPort held = Open();
        ASSERT_TRUE(held.IsOpen());
        EXPECT_EQ(RunSelfInChild(tryOpen, 10s), 3);
    }
    EXPECT_EQ(RunSelfInChild(tryOpen, 10s), 0);
}

// An unprivileged user must be able to open, close and open again, and still be kept out while
// the port is held: the exclusive flag must not outlive the port that set it.
TEST_F(SerialPortTest, UnprivilegedUserReopensAfterClose) {
    {
        CommPort before = Open();  // leaves no exclusive flag for the next user
        ASSERT_TRUE(before.IsOpen());
    }
    if (geteuid() == 0) {
        ASSERT_EQ(chmod(peer_.portDir().c_str(), 0755), 0);
        ASSERT_EQ(chown(peer_.slavePath().c_str(), kNobody, kNobody), 0);
    }
    const int result = RunInChild(
        [] {
            if (geteuid() == 0) {
                if (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0) {
                    return 77;
                }
            }
            CommPort first = Open();
            if (!first.IsOpen()) return 1;
            if (Open().IsOpen()) return 2;
            first.Close();
            CommPort again = Open();
            if (!again.IsOpen()) return 3;
            return 0;
        },
        10s);
    if (result == 77) GTEST_SKIP() << "cannot switch to an unprivileged user here";
    EXPECT_EQ(result, 0) << "1: first open, 2: second open not refused, 3: reopen failed";
}

TEST_F(SerialPortTest, StaleInputIsGoneAfterReopen) {
    {
        CommPort port = Open();
        ASSERT_TRUE(port.IsOpen());
        ASSERT_TRUE(peer_.Send({1, 2, 3, 4, 5}));
        ASSERT_EQ(port.WaitForInput(5, 2000), 5u);
    }
    ASSERT_TRUE(peer_.Send({6, 7}));  // arrives while the port is closed
    CommPort port = Open();
    ASSERT_TRUE(port.IsOpen());
    EXPECT_EQ(port.QueuedInput(), 0u);
    EXPECT_EQ(port.WaitForInput(1, 0), 0u);
    ASSERT_TRUE(peer_.Send({9}));
    std::uint8_t got = 0;
    EXPECT_EQ(port.Read(&got, 1), 1);
    EXPECT_EQ(got, 9);
}

TEST_F(SerialPortTest, WaitReportsEverythingQueuedAndPurgeEmptiesIt) {
    CommPort port = Open();
    ASSERT_TRUE(port.IsOpen());
    EXPECT_EQ(port.WaitForInput(0, 0), 0u);  // looks once even without time
    ASSERT_TRUE(peer_.Send(Bytes(30, 0x55)));
    EXPECT_EQ(port.WaitForInput(17, 3000), 30u);
    EXPECT_EQ(port.QueuedInput(), 30u);
    std::uint8_t got[10] = {};
    EXPECT_EQ(port.Read(got, 10), 10);
    EXPECT_EQ(port.QueuedInput(), 20u);
    port.Purge();
    EXPECT_EQ(port.QueuedInput(), 0u);
    EXPECT_EQ(port.WaitForInput(1, 0), 0u);
}

TEST_F(SerialPortTest, WaitEndsWhenTheLastWantedByteArrives) {
    CommPort port = Open();
    ASSERT_TRUE(port.IsOpen());
    std::thread module([this] {
        // Sends the reply in pieces, the last one only after the console asked again.
        peer_.Send({1, 2, 3});
        const Bytes poke = peer_.Receive(1, 5s);
        if (poke.size() == 1) peer_.Send({4, 5, 6, 7});
    });
    EXPECT_EQ(port.WaitForInput(3, 5000), 3u);
    const std::uint8_t poke = 0xAA;
    port.Write(&poke, 1);
    EXPECT_EQ(port.WaitForInput(7, 5000), 7u);
    module.join();
    std::uint8_t got[7] = {};
    EXPECT_EQ(port.Read(got, 7), 7);
    EXPECT_EQ(Bytes(got, got + 7), (Bytes{1, 2, 3, 4, 5, 6, 7}));
}

TEST_F(SerialPortTest, ShortReadWaitsForTheProfilesTotalTimeout) {
    CommPort port = Open(TimeoutProfile::Polling);  // 300 + 5 per byte
    ASSERT_TRUE(port.IsOpen());
    ASSERT_TRUE(peer_.Send({1, 2, 3}));
    std::uint8_t got[10] = {};
    const auto start = Clock::now();
    EXPECT_EQ(port.Read(got, 10), 3);
    EXPECT_GE(Clock::now() - start, 350ms);
}

TEST_F(SerialPortTest, HangUpMidWaitEndsTheWaitAtOnce) {
    CommPort port = Open();
    ASSERT_TRUE(port.IsOpen());
    ASSERT_TRUE(peer_.Send({1, 2, 3}));
    std::thread module([this] {
        // Scheduled well inside the 4 s wait below; the wait must notice it, not sit it out.
        std::this_thread::sleep_for(200ms);
        peer_.HangUp();
    });
    const auto start = Clock::now();
    const unsigned queued = port.WaitForInput(17, 4000);
    const auto waited = Clock::now() - start;
    module.join();
    EXPECT_LT(waited, 2000ms);
    EXPECT_LE(queued, 3u);

    const auto readStart = Clock::now();
    std::uint8_t got[17] = {};
    EXPECT_LE(port.Read(got, 17), 3);
    EXPECT_LT(Clock::now() - readStart, 500ms);  // the read timeout is 1085 ms
    port.Close();
}

TEST_F(SerialPortTest, WaitOnAHungUpPortReturnsAtOnce) {
    CommPort port = Open();
    ASSERT_TRUE(port.IsOpen());
    peer_.HangUp();
    const auto start = Clock::now();
    EXPECT_EQ(port.WaitForInput(17, 3000), 0u);
    EXPECT_LT(Clock::now() - start, 1500ms);
    EXPECT_EQ(port.QueuedInput(), 0u);
}

// Another program left the adapter with hardware and software flow control, parity and a cooked
// mode; the console must talk over it at once, with no byte held back or rewritten.
TEST_F(SerialPortTest, OpenClearsTheLineSettingsAnotherProgramLeft) {
    termios foreign{};
    ASSERT_TRUE(peer_.GetLine(foreign));
    foreign.c_cflag |= CRTSCTS | CSTOPB | PARENB;
    foreign.c_cflag &= ~static_cast<tcflag_t>(CLOCAL);
    foreign.c_iflag |= IXON | IXOFF | IXANY | ISTRIP | ICRNL | INPCK;
    foreign.c_oflag |= OPOST | ONLCR;
    foreign.c_lflag |= ICANON | ECHO | ISIG | IEXTEN;
    ASSERT_TRUE(peer_.SetLine(foreign));
    termios preset{};
    ASSERT_TRUE(peer_.GetLine(preset));
    ASSERT_EQ(preset.c_cflag & CRTSCTS, CRTSCTS);
    ASSERT_EQ(preset.c_iflag & IXON, IXON);

    CommPort port = Open();
    ASSERT_TRUE(port.IsOpen());
    termios line{};
    ASSERT_TRUE(peer_.GetLine(line));
    EXPECT_EQ(line.c_cflag & CRTSCTS, 0u);
    EXPECT_EQ(line.c_iflag & (IXON | IXOFF | IXANY), 0u);
    EXPECT_EQ(line.c_cflag & (CSIZE | PARENB | CSTOPB | CREAD | CLOCAL), CS8 | CREAD | CLOCAL);
    EXPECT_EQ(line.c_iflag & (ISTRIP | ICRNL | INPCK), 0u);
    EXPECT_EQ(line.c_oflag & OPOST, 0u);
    EXPECT_EQ(line.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
    EXPECT_EQ(line.c_cc[VMIN], 1);
    EXPECT_EQ(line.c_cc[VTIME], 0);
    EXPECT_EQ(cfgetospeed(&line), B9600);

    // XOFF first: with software flow control left on, the console's reply would stall behind it.
    const Bytes special{0x13, 0x0D, 0x03, 0xFF, 0x11};
    ASSERT_TRUE(peer_.Send(special));
    std::uint8_t got[5] = {};
    EXPECT_EQ(port.Read(got, 5), 5);
    EXPECT_EQ(Bytes(got, got + 5), special);
    const std::uint8_t request[] = {0x14, 0x0A, 0x13};
    EXPECT_EQ(port.Write(request, 3), 3);
    EXPECT_EQ(peer_.Receive(3, 2s), Bytes(request, request + 3));
}

// A silent module and a dead device both leave the console without bytes; only the dead device
// must make the acquisition let go of the port.
TEST_F(SerialPortTest, OnlyAHungUpDeviceCountsAsLost) {
    CommPort port = Open(TimeoutProfile::Polling);
    ASSERT_TRUE(port.IsOpen());
    const std::uint8_t request[] = {0x14, 0x3F};
    EXPECT_EQ(port.Write(request, 2), 2);
    EXPECT_EQ(port.WaitForInput(7, 50), 0u);
    std::uint8_t got[7] = {};
    EXPECT_EQ(port.Read(got, 7), 0);
    EXPECT_FALSE(port.Lost()) << "silence is not a loss";

    peer_.HangUp();
    EXPECT_EQ(port.WaitForInput(7, 3000), 0u);
    EXPECT_TRUE(port.Lost());
    port.Close();
    EXPECT_FALSE(port.Lost());

    PtyPeer other(kPort);
    CommPort writer = Open();
    ASSERT_TRUE(writer.IsOpen());
    other.HangUp();
    writer.Write(request, 2);
    EXPECT_TRUE(writer.Lost()) << "a write into a hung-up line";
}

TEST(ClosedPort, DoesNothingAndWaitsForNothing) {
    CommPort port;
    std::uint8_t byte = 0;
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(port.Write(&byte, 1), 0);
    EXPECT_EQ(port.Read(&byte, 1), 0);
    EXPECT_EQ(port.QueuedInput(), 0u);
    EXPECT_EQ(port.WaitForInput(1, 60000), 0u);
    port.Purge();
    port.Close();
}

}  // namespace
