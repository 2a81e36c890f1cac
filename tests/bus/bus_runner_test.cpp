// The bus runner against a simulated bus of many modules, one silent and one garbling.
#include <gtest/gtest.h>

#include <map>
#include <mutex>

#include "bus/bus_runner.h"
#include "record/readings_csv.h"
#include "sim/simulated_bus.h"
#include "tests/sim/sim_fixture.h"

namespace {

constexpr int kSilent = 3;
constexpr int kGarbling = 5;
constexpr int kModules = 8;

class Collector : public SiteReadingObserver, public BusCycleObserver {
public:
    void OnSiteReading(const SiteReading& reading) override {
        std::lock_guard lock(mutex_);
        readings_.push_back(reading);
    }
    void OnBusCycle(const BusCycleReport& report) override {
        std::lock_guard lock(mutex_);
        cycles_.push_back(report);
        readingsByLastCycle_ = readings_.size();
        changed_.notify_all();
    }
    // Waits for a cycle report that `want` accepts.
    template <typename Want>
    bool WaitForCycle(Want want) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(30), [&] {
            for (const auto& cycle : cycles_) {
                if (want(cycle)) return true;
            }
            return false;
        });
    }
    std::vector<SiteReading> Readings() {
        std::lock_guard lock(mutex_);
        return readings_;
    }
    std::vector<BusCycleReport> Cycles() {
        std::lock_guard lock(mutex_);
        return cycles_;
    }
    // The readings delivered up to the last cycle's report: a stop mid-cycle may have added
    // some of the next cycle's since.
    std::size_t ReadingsByLastCycle() {
        std::lock_guard lock(mutex_);
        return readingsByLastCycle_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<SiteReading> readings_;
    std::size_t readingsByLastCycle_ = 0;
    std::vector<BusCycleReport> cycles_;
};

class BusRunnerTest : public testing::Test {
protected:
    void SetUp() override {
        SimBusOptions options;
        options.port = kSimPort;
        options.paceBytes = false;
        options.probeCount = 64;
        for (int address = 1; address <= kModules; ++address) options.addresses.push_back(address);
        options.faults[kSilent] = SilentFaults();
        options.faults[kGarbling] = GarblingFaults();
        bus_ = std::make_unique<SimulatedBus>(options);
        // Every module reads its own address in every channel, so a value can be traced home.
        for (int address = 1; address <= kModules; ++address) {
            bus_->SetTemperatures(address, {address * 10, address * 10, address * 10, 0},
                                  std::vector<int>(64, address * 10));
        }
        bus_->FreezeTemperatures(true);
        ASSERT_TRUE(bus_->Start()) << bus_->LastError();
    }

    static Site SiteOf(int periodMs) {
        Site site;
        site.name = "试验站";
        SiteBus bus;
        bus.port = kSimPort;
        bus.periodMs = periodMs;
        bus.timeoutMs = 100;
        // Out of order on purpose: the runner reads them ascending.
        for (const int address : {8, 1, 2, 3, 4, 5, 6, 7}) {
            bus.modules.push_back({address, "模块" + std::to_string(address), {}});
        }
        std::sort(bus.modules.begin(), bus.modules.end(),
                  [](const auto& a, const auto& b) { return a.address < b.address; });
        site.buses.push_back(bus);
        return site;
    }

    TempPortDir portDir_;
    std::unique_ptr<SimulatedBus> bus_;
};

TEST_F(BusRunnerTest, EveryHealthyModuleEachCycleAndFailuresWhereTheyBelong) {
    constexpr int kCycles = 4;
    Collector collector;
    BusRunner runner(SiteOf(50));
    runner.AddObserver(&collector);
    runner.AddCycleObserver(&collector);
    runner.Start(kCycles);
    runner.Wait();

    const auto readings = collector.Readings();
    ASSERT_EQ(readings.size(), static_cast<std::size_t>(kCycles * kModules));
    for (std::size_t i = 0; i < readings.size(); ++i) {
        const SiteReading& reading = readings[i];
        const int address = static_cast<int>(i % kModules) + 1;
        ASSERT_EQ(reading.address, address) << "ascending, once a cycle";
        EXPECT_EQ(reading.bus, 1);
        EXPECT_EQ(reading.module, "模块" + std::to_string(address));
        if (address == kSilent) {
            EXPECT_EQ(reading.reading.fault, BlockFault::ShortHeader);
        } else if (address == kGarbling) {
            EXPECT_EQ(reading.reading.fault, BlockFault::BadChecksum);
        } else {
            ASSERT_TRUE(reading.reading.Ok()) << address << ": " << BlockFaultText(reading.reading.fault);
            EXPECT_EQ(reading.reading.ProbeCount(), 64);
            const std::string own = std::to_string(address) + ".0";
            for (const int channel : {0, 4, 67}) {
                EXPECT_EQ(ChannelText(reading.reading, channel), own) << address << "/" << channel;
            }
        }
        EXPECT_EQ(reading.reading.Ok() ? 0 : 1, address == kSilent || address == kGarbling);
    }
    const auto cycles = collector.Cycles();
    ASSERT_EQ(cycles.size(), static_cast<std::size_t>(kCycles));
    for (const BusCycleReport& cycle : cycles) {
        EXPECT_TRUE(cycle.portOpen);
        EXPECT_EQ(cycle.failed, (std::vector<int>{kSilent, kGarbling}));
    }
    // Each module was asked once a cycle, and nobody else.
    for (int address = 1; address <= kModules; ++address) EXPECT_EQ(bus_->RequestsFor(address), kCycles);
}

TEST_F(BusRunnerTest, AnAdapterThatGoesAwayFailsEachModuleOnceACycleAndIsFoundAgain) {
    Collector collector;
    BusRunner runner(SiteOf(20));
    runner.AddObserver(&collector);
    runner.AddCycleObserver(&collector);
    runner.Start();
    ASSERT_TRUE(collector.WaitForCycle([](const auto& c) { return c.failed.size() == 2; }));
    bus_->Stop();
    ASSERT_TRUE(collector.WaitForCycle([](const auto& c) { return !c.portOpen; }));
    ASSERT_TRUE(bus_->Start()) << bus_->LastError();
    const long long back = collector.Cycles().size();
    ASSERT_TRUE(collector.WaitForCycle([&](const auto& c) {
        return c.cycle > back + 1 && c.portOpen && c.failed.size() == 2;
    }));
    runner.Stop();
    EXPECT_FALSE(runner.Running());

    // While away: one failed reading per module per cycle, never more.
    const auto cycles = collector.Cycles();
    EXPECT_EQ(collector.ReadingsByLastCycle(), cycles.size() * kModules);
    for (const BusCycleReport& cycle : cycles) {
        if (!cycle.portOpen) {
            EXPECT_EQ(cycle.failed.size(), static_cast<std::size_t>(kModules));
        }
    }
}

}  // namespace
