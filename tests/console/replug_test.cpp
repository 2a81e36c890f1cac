// Continuous acquisition through an adapter that is pulled out and plugged in again: the real
// window and worker, and a simulated module whose line hangs up and comes back as a new
// pseudo-terminal behind the same COM1.
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "link/fault_log.h"
#include "link/text_codec.h"
#include "tests/console/module_fixture.h"

namespace {

using namespace std::chrono_literals;

class ReplugTest : public ModuleWindowTest {
protected:
    void SetUp() override {
        ModuleWindowTest::SetUp();
        Configure(*sim);
        token_ = dlg.m_readings.Subscribe([this](const Reading& r) { seen.push_back(r); });
    }
    void TearDown() override {
        dlg.m_readings.Unsubscribe(token_);
        ModuleWindowTest::TearDown();
    }

    static void Configure(SimulatedModule& module) {
        module.SetTemperatures({215, -12, 0, 1000}, std::vector<int>(20, 250));
        module.FreezeTemperatures(true);
    }
    int Count(int id) { return std::atoi(Text(id).c_str()); }
    int Seen(BlockFault fault) const {
        int n = 0;
        for (const Reading& r : seen) n += r.fault == fault ? 1 : 0;
        return n;
    }
    std::string FaultLog() const {
        std::ifstream in(start.Path() + "/" + kFaultLogName, std::ios::binary);
        return GbkToUtf8(std::string(std::istreambuf_iterator<char>(in), {}));
    }

    // As with a real adapter: its line hangs up and its by-id link is left dangling.
    void Unplug() {
        const std::string link = start.Ports() + "/COM1";
        const std::string temporary = link + ".unplugged";
        ASSERT_EQ(symlink("/dev/k7r2-test-adapter-unplugged", temporary.c_str()), 0);
        ASSERT_EQ(std::rename(temporary.c_str(), link.c_str()), 0);
        sim->Stop();  // leaves a link that is no longer its own alone
    }
    // Back again as another device, published under the same number.
    void Replug() {
        SimOptions options;
        options.port = 1;
        options.portDirectory = start.Ports();
        options.paceBytes = false;
        options.probeCount = probeCount;
        sim = std::make_unique<SimulatedModule>(options);
        Configure(*sim);
        ASSERT_TRUE(sim->Start()) << sim->LastError();
    }
    bool StartContinuous() {
        return Replace(IDC_PERIOD, "600") && Click(IDC_CONTINUOUS_ACQUISITION) &&
               Text(IDC_CONTINUOUS_ACQUISITION) == "取消采集";
    }

    std::vector<Reading> seen;

private:
    ReadingFeed::Token token_{};
};

TEST_F(ReplugTest, ReadingsResumeByThemselvesAndOnlyThePeriodsAwayFail) {
    ASSERT_TRUE(StartContinuous());
    ASSERT_TRUE(uitest::WaitUntil([&] { return Count(IDC_OK_COUNT) == 2; }, 10s));
    Unplug();
    // The reading that meets the hang-up, then periods without a port.
    ASSERT_TRUE(uitest::WaitUntil([&] { return Count(IDC_FAIL_COUNT) == 3; }, 10s));
    const int goodBefore = Count(IDC_OK_COUNT);
    Replug();
    ASSERT_TRUE(uitest::WaitUntil([&] { return Count(IDC_OK_COUNT) == goodBefore + 1; }, 10s));
    const int failed = Count(IDC_FAIL_COUNT);
    EXPECT_LE(failed, 4) << "readings resume within two periods of the replug";
    EXPECT_EQ(Cell(IDC_LIST_RIGHT, 0), "21.5");
    EXPECT_EQ(boxes.Count(), 0u) << "nothing to click while the adapter is away";

    // Every failure counted, reported and logged once: the hang-up found by an exchange (unless
    // it fell just after a good one), then one "port away" per period.
    const int away = Seen(BlockFault::PortNotOpen);
    const int hungUp = Seen(BlockFault::ShortHeader);
    EXPECT_GE(away, 2);
    EXPECT_LE(hungUp, 1);
    EXPECT_EQ(away + hungUp, failed);
    EXPECT_EQ(static_cast<int>(seen.size()), failed + goodBefore + 1);
    const std::string log = FaultLog();
    EXPECT_EQ(Occurrences(log, "打开串口失败， 字节数:0 数据:"), away) << log;
    EXPECT_EQ(Occurrences(log, "读错误，要读7个字节， 字节数:0 数据:"), hungUp) << log;
    EXPECT_EQ(Occurrences(log, "\r\n"), failed) << log;

    ASSERT_TRUE(Click(IDC_CONTINUOUS_ACQUISITION));
    EXPECT_TRUE(WaitForPortFree());
}

TEST_F(ReplugTest, StopWhileTheAdapterIsAwayEndsTheWorker) {
    ASSERT_TRUE(StartContinuous());
    ASSERT_TRUE(uitest::WaitUntil([&] { return Count(IDC_OK_COUNT) == 1; }, 10s));
    Unplug();
    ASSERT_TRUE(uitest::WaitUntil([&] { return Seen(BlockFault::PortNotOpen) == 1; }, 10s));
    ASSERT_TRUE(Click(IDC_CONTINUOUS_ACQUISITION));
    EXPECT_EQ(Text(IDC_CONTINUOUS_ACQUISITION), "连续采集");
    EXPECT_TRUE(uitest::WaitUntil([] { return g_acquisitionWorkers == 0; }, 5s));
    EXPECT_EQ(boxes.Count(), 0u);
}

// A PC with a built-in UART: /dev/ttyS0 exists (a pseudo-terminal under the test's device root)
// and the adapter's COM1 link is removed outright on unplug. The run must not fall back to the
// UART: the periods away count as "port not open", and the adapter is found again.
class ReplugBesideABuiltInUartTest : public ReplugTest {
protected:
    void SetUp() override {
        ReplugTest::SetUp();
        uart_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        ASSERT_GE(uart_, 0);
        ASSERT_EQ(grantpt(uart_), 0);
        ASSERT_EQ(unlockpt(uart_), 0);
        const std::string devRoot = start.Path() + "/dev";
        ASSERT_EQ(mkdir(devRoot.c_str(), 0700), 0);
        ASSERT_EQ(symlink(ptsname(uart_), (devRoot + "/ttyS0").c_str()), 0);
        setenv("K7R2_DEV_ROOT", devRoot.c_str(), 1);
    }
    void TearDown() override {
        ReplugTest::TearDown();
        unsetenv("K7R2_DEV_ROOT");
        if (uart_ >= 0) close(uart_);
    }
    void RemoveLink() {
        ASSERT_EQ(unlink((start.Ports() + "/COM1").c_str()), 0);
        sim->Stop();
    }
    // Bytes the console wrote to the built-in UART.
    std::size_t UartReceived() {
        char chunk[256];
        for (ssize_t n; (n = read(uart_, chunk, sizeof chunk)) > 0;) uartBytes_ += static_cast<std::size_t>(n);
        return uartBytes_;
    }

private:
    int uart_ = -1;
    std::size_t uartBytes_ = 0;
};

TEST_F(ReplugBesideABuiltInUartTest, TheRunNeverTurnsToTheUartAndResumesOnTheAdapter) {
    ASSERT_TRUE(StartContinuous());
    ASSERT_TRUE(uitest::WaitUntil([&] { return Count(IDC_OK_COUNT) == 1; }, 10s));
    RemoveLink();
    ASSERT_TRUE(uitest::WaitUntil([&] { return Seen(BlockFault::PortNotOpen) >= 3; }, 10s));
    EXPECT_EQ(UartReceived(), 0u) << "a request went to the built-in UART";
    const int goodBefore = Count(IDC_OK_COUNT);
    Replug();
    ASSERT_TRUE(uitest::WaitUntil([&] { return Count(IDC_OK_COUNT) == goodBefore + 1; }, 10s));
    EXPECT_EQ(UartReceived(), 0u);
    // Only the reading that met the hang-up may have failed otherwise than "port not open".
    EXPECT_LE(Count(IDC_FAIL_COUNT) - Seen(BlockFault::PortNotOpen), 1);
    EXPECT_EQ(boxes.Count(), 0u);
    ASSERT_TRUE(Click(IDC_CONTINUOUS_ACQUISITION));
    EXPECT_TRUE(WaitForPortFree());
}

}  // namespace
