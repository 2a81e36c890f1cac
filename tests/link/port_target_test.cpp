// Which device a port number opens, and that a run which opened its COMn link keeps to it: a
// pseudo-terminal stands in for the built-in UART /dev/ttyS<N-1> under a private device root.
#include "link/port_target.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>

#include "link/port_directory.h"
#include "tests/link/pty_peer.h"

namespace {

using namespace std::chrono_literals;

constexpr int kTargetPort = 12;

PollSettings TargetSettings() {
    PollSettings settings;
    settings.port = kTargetPort;
    settings.baud = 9600;
    return settings;
}

class PortTargetTest : public testing::Test {
protected:
    void SetUp() override {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "k7r2-dev-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        devRoot_ = pattern;
        std::filesystem::create_symlink(uart_.slavePath(), UartPath());
        setenv("K7R2_DEV_ROOT", devRoot_.c_str(), 1);
        // Left at a rate the port never uses: any open of the stand-in shows as 9600.
        termios line{};
        ASSERT_TRUE(uart_.GetLine(line));
        cfsetispeed(&line, B1200);
        cfsetospeed(&line, B1200);
        ASSERT_TRUE(uart_.SetLine(line));
    }
    void TearDown() override {
        unsetenv("K7R2_DEV_ROOT");
        std::error_code ignored;
        std::filesystem::remove_all(devRoot_, ignored);
    }

    std::string UartPath() const { return devRoot_ + "/ttyS11"; }
    std::string Link() const { return adapter_.portDir() + "/COM12"; }
    bool UartWasOpened() const {
        termios line{};
        return !uart_.GetLine(line) || cfgetospeed(&line) != B1200;
    }
    bool Reaches(CommPort& port, const PtyPeer& peer) {
        const std::uint8_t hello[] = {0x14, 0x3F, 0x00};
        return port.Write(hello, 3) == 3 && peer.Receive(3, 2s) == Bytes(hello, hello + 3);
    }

    PtyPeer uart_{kTargetPort};
    PtyPeer adapter_{kTargetPort};  // constructed last: its directory is the port directory
    std::string devRoot_;
};

TEST_F(PortTargetTest, WithoutALinkTheNumberOpensTtySUnderTheDeviceRootAndKeepsToIt) {
    std::filesystem::remove(Link());
    EXPECT_EQ(ResolvePortPath(kTargetPort), UartPath());
    PortTarget target;
    CommPort port = target.Open(TargetSettings(), TimeoutProfile::Polling);
    ASSERT_TRUE(port);
    EXPECT_EQ(target.Path(), UartPath());
    EXPECT_TRUE(Reaches(port, uart_));
    port.Close();
    // A link appearing later does not move a run that opened the device by its name.
    std::filesystem::create_symlink(adapter_.slavePath(), Link());
    port = target.Open(TargetSettings(), TimeoutProfile::Polling);
    ASSERT_TRUE(port);
    EXPECT_TRUE(Reaches(port, uart_));
}

TEST_F(PortTargetTest, AfterItsLinkIsGoneARunReopensOnlyThroughTheLink) {
    PortTarget target;
    EXPECT_TRUE(target.Path().empty());
    CommPort port = target.Open(TargetSettings(), TimeoutProfile::Polling);
    ASSERT_TRUE(port);
    EXPECT_EQ(target.Path(), Link());
    EXPECT_TRUE(Reaches(port, adapter_));
    port.Close();

    // Unplugged: udev removed the link. The number alone would now name the built-in UART.
    std::filesystem::remove(Link());
    ASSERT_EQ(ResolvePortPath(kTargetPort), UartPath());
    EXPECT_FALSE(target.Open(TargetSettings(), TimeoutProfile::Polling));
    // Or its owner left it dangling.
    std::filesystem::create_symlink(devRoot_ + "/gone", Link());
    EXPECT_FALSE(target.Open(TargetSettings(), TimeoutProfile::Polling));
    EXPECT_FALSE(UartWasOpened());

    // Plugged in again, as another device behind the same number.
    PtyPeer replugged{kTargetPort};
    std::filesystem::remove(Link());
    std::filesystem::create_symlink(replugged.slavePath(), Link());
    port = target.Open(TargetSettings(), TimeoutProfile::Polling);
    ASSERT_TRUE(port);
    EXPECT_TRUE(Reaches(port, replugged));
    EXPECT_FALSE(UartWasOpened());
}

TEST_F(PortTargetTest, AFailedFirstOpenDecidesNothing) {
    std::filesystem::remove(Link());
    std::filesystem::remove(UartPath());
    PortTarget target;
    EXPECT_FALSE(target.Open(TargetSettings(), TimeoutProfile::Polling));
    EXPECT_TRUE(target.Path().empty());
    std::filesystem::create_symlink(adapter_.slavePath(), Link());
    CommPort port = target.Open(TargetSettings(), TimeoutProfile::Polling);
    ASSERT_TRUE(port);
    EXPECT_EQ(target.Path(), Link());
}

}  // namespace
