// The buses `k7r2 serve` runs, against simulated buses: a reload of the site file between two
// cycles loses none, keeps an unchanged bus on its schedule, and a bad file changes nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <mutex>

#include "plant/site_source.h"
#include "sim/simulated_bus.h"
#include "sim/value_control.h"
#include "tests/plant/wait_until.h"
#include "tests/sim/sim_fixture.h"

namespace {

using namespace std::chrono_literals;

struct Seen {
    int bus;
    int address;
    std::string module;
    bool ok;
    std::chrono::system_clock::time_point time;
};

class Readings : public SiteReadingObserver, public AlarmObserver {
public:
    void OnSiteReading(const SiteReading& reading) override {
        std::lock_guard lock(mutex_);
        seen_.push_back({reading.bus, reading.address, reading.module, reading.reading.Ok(),
                         reading.reading.time});
    }
    void OnAlarmChange(const AlarmEvent&) override {}
    std::vector<Seen> Of(int bus) const {
        std::lock_guard lock(mutex_);
        std::vector<Seen> of;
        for (const Seen& seen : seen_) {
            if (seen.bus == bus) of.push_back(seen);
        }
        return of;
    }
    int Count(int bus, int address, const std::string& module = "") const {
        int count = 0;
        for (const Seen& seen : Of(bus)) {
            count += seen.address == address && (module.empty() || seen.module == module);
        }
        return count;
    }
    // Readings of the bus since the `from`-th that did (not) bring a block.
    int Outcomes(int bus, bool ok, std::size_t from = 0) const {
        const auto of = Of(bus);
        int count = 0;
        for (std::size_t i = from; i < of.size(); ++i) count += of[i].ok == ok;
        return count;
    }

private:
    mutable std::mutex mutex_;
    std::vector<Seen> seen_;
};

std::unique_ptr<SimulatedBus> Bus(int port, std::vector<int> addresses) {
    SimBusOptions options;
    options.port = port;
    options.addresses = std::move(addresses);
    options.probeCount = 4;
    options.paceBytes = true;  // a module's exchange takes time, so a reload lands mid-cycle
    auto bus = std::make_unique<SimulatedBus>(options);
    return bus->Start() ? std::move(bus) : nullptr;
}

constexpr int kPeriodMs = 400;

// Bus 1 on COM2 with modules 1 and 2; bus 2 on COM3 with `second`.
std::string SiteText(const std::string& nameOf1, const std::string& second) {
    return "name = \"重载站\"\n"
           "[[bus]]\nport = 2\nbaud = 9600\nperiod_ms = " + std::to_string(kPeriodMs) +
           "\ntimeout_ms = 200\n"
           "  [[bus.module]]\n  address = 1\n  name = \"" + nameOf1 + "\"\n"
           "  [[bus.module]]\n  address = 2\n  name = \"二仓\"\n"
           "[[bus]]\nport = 3\nbaud = 9600\nperiod_ms = " + std::to_string(kPeriodMs) +
           "\ntimeout_ms = 200\n" + second;
}

std::string Modules(std::initializer_list<int> addresses) {
    std::string text;
    for (int address : addresses) text += "  [[bus.module]]\n  address = " + std::to_string(address) + "\n";
    return text;
}

// Every cycle of the bus read whole: the addresses run through `order` again and again.
void ExpectWholeCycles(const std::vector<Seen>& seen, const std::vector<int>& order) {
    for (std::size_t i = 0; i < seen.size(); ++i) {
        ASSERT_EQ(seen[i].address, order[i % order.size()]) << "reading " << i;
    }
}

}  // namespace

TEST(SiteSource, AReloadLosesNoCycleKeepsUnchangedBusesOnScheduleAndABadFileChangesNothing) {
    TempPortDir portDir;
    auto bus1 = Bus(2, {1, 2});
    auto bus2 = Bus(3, {5, 6, 7});
    ASSERT_TRUE(bus1 && bus2);
    const std::string site = portDir.path() + "/站点.toml";
    std::ofstream(site) << SiteText("一仓", Modules({5, 6}));

    Readings readings;
    auto source = MakeSiteSource(portDir.path() + "/记录");
    std::string error;
    ASSERT_TRUE(source->Start(site, readings, readings, error)) << error;
    ASSERT_TRUE(WaitUntil([&] { return readings.Count(2, 6) >= 2; }));

    // Bus 1 unchanged but for a module's name; bus 2 gains a module. Loaded while bus 2 is in
    // the middle of a cycle.
    ASSERT_TRUE(WaitUntil([&] {
        const auto of2 = readings.Of(2);
        return !of2.empty() && of2.back().address == 5;
    }));
    std::ofstream(site) << SiteText("一号仓", Modules({5, 6, 7}));
    ASSERT_TRUE(source->Reload(site, error)) << error;
    ASSERT_TRUE(WaitUntil([&] { return readings.Count(1, 1, "一号仓") >= 2 && readings.Count(2, 7) >= 2; }));

    std::ofstream(site) << "name = \"重载站\"\n[[bus]]\nbaud = 1234\n";
    EXPECT_FALSE(source->Reload(site, error));
    EXPECT_FALSE(error.empty());
    const int before = readings.Count(2, 7);
    EXPECT_TRUE(WaitUntil([&] { return readings.Count(2, 7) >= before + 2; })) << "still running";
    source->Stop();

    const auto of1 = readings.Of(1);
    ExpectWholeCycles(of1, {1, 2});
    // An unchanged bus keeps its runner: its cycles stay a period apart, start to start. (A
    // restarted one would read module 1 again right after the reload, a cycle's first exchange
    // after its predecessor; the slack is for a loaded machine.)
    for (std::size_t i = 2; i < of1.size(); i += 2) {
        EXPECT_GE(of1[i].time - of1[i - 2].time, std::chrono::milliseconds(kPeriodMs - 100))
            << "cycle " << i / 2;
    }
    const auto last1 = std::find_if(of1.rbegin(), of1.rend(), [](const Seen& s) { return s.address == 1; });
    EXPECT_EQ(last1->module, "一号仓") << "the bad file renamed nothing";

    // The changed bus ended after a whole cycle and started again with the new module.
    const auto of2 = readings.Of(2);
    std::size_t firstOf7 = 0;
    while (of2[firstOf7].address != 7) ++firstOf7;
    const std::size_t started = firstOf7 - 2;
    std::vector<Seen> before7(of2.begin(), of2.begin() + static_cast<long>(started));
    std::vector<Seen> after7(of2.begin() + static_cast<long>(started), of2.end());
    ExpectWholeCycles(before7, {5, 6});
    ExpectWholeCycles(after7, {5, 6, 7});
}

TEST(SiteSource, BusesNamedByTheirDevicesEachReadTheirOwnAndComeBackAfterAnUnplug) {
    TempPortDir portDir;
    auto bus1 = Bus(2, {1, 2});
    auto bus2 = Bus(3, {5, 6});
    ASSERT_TRUE(bus1 && bus2);
    const std::string site = portDir.path() + "/站点.toml";
    std::ofstream(site) << "name = \"设备站\"\n"
                        << "[[bus]]\ndevice = \"" << bus1->PublishedPath()
                        << "\"\nbaud = 9600\nperiod_ms = 100\ntimeout_ms = 100\n" << Modules({1, 2})
                        << "[[bus]]\ndevice = \"" << bus2->PublishedPath()
                        << "\"\nbaud = 9600\nperiod_ms = 100\ntimeout_ms = 100\n" << Modules({5, 6});
    Readings readings;
    auto source = MakeSiteSource(portDir.path() + "/记录");
    std::string error;
    ASSERT_TRUE(source->Start(site, readings, readings, error)) << error;
    ASSERT_TRUE(WaitUntil([&] { return readings.Outcomes(1, true) >= 4 && readings.Outcomes(2, true) >= 4; }));
    EXPECT_EQ(readings.Outcomes(1, false), 0);
    EXPECT_EQ(readings.Outcomes(2, false), 0) << "each bus opens its own device";

    bus1->Stop();  // the adapter unplugged
    ASSERT_TRUE(WaitUntil([&] { return readings.Outcomes(1, false) >= 2; }));
    const std::size_t unplugged = readings.Of(1).size();
    ASSERT_TRUE(bus1->Start());
    EXPECT_TRUE(WaitUntil([&] { return readings.Outcomes(1, true, unplugged) >= 2; })) << "plugged in again";
    source->Stop();
}

// A reload that leaves the alarm settings as they were keeps the alarm engine: a rise that
// began before the reload is still judged against the readings before it. Changed limits
// take effect.
TEST(SiteSource, AReloadKeepsTheAlarmEngineUnlessItsSettingsChanged) {
    TempPortDir portDir;
    auto control = std::make_shared<ValueControl>();
    std::string error;
    ASSERT_TRUE(control->Load("1 温度1 value 20.0\n", ValueControl::Now(), error)) << error;
    SimBusOptions options;
    options.port = 2;
    options.addresses = {1};
    options.probeCount = 4;
    options.paceBytes = false;
    options.control = control;
    SimulatedBus bus(options);
    ASSERT_TRUE(bus.Start()) << bus.LastError();
    const std::string site = portDir.path() + "/站点.toml";
    const auto siteText = [](int timeoutMs, const std::string& more = "") {
        return "name = \"温升站\"\n[alarms]\nrise = 5.0\nrise_window_h = 1.0\noffline_after = 1000\n" + more +
               "[[bus]]\nport = 2\nperiod_ms = 100\ntimeout_ms = " + std::to_string(timeoutMs) +
               "\n" + Modules({1});
    };
    std::ofstream(site) << siteText(100);

    class Alarms : public Readings {
    public:
        void OnAlarmChange(const AlarmEvent& event) override {
            std::lock_guard lock(mutex);
            if (event.kind == AlarmKind::RiseRate) ++rises;
            if (event.kind == AlarmKind::High) ++highs;
        }
        int Highs() {
            std::lock_guard lock(mutex);
            return highs;
        }
        int Rises() {
            std::lock_guard lock(mutex);
            return rises;
        }
        std::mutex mutex;
        int rises = 0;
        int highs = 0;
    } readings;
    auto source = MakeSiteSource(portDir.path() + "/记录");
    ASSERT_TRUE(source->Start(site, readings, readings, error)) << error;
    ASSERT_TRUE(WaitUntil([&] { return readings.Outcomes(1, true) >= 3; }));

    // Quiet across the reload, so that the engine sees 20.0 only before it and 41.5 only after.
    ASSERT_TRUE(control->Load("1 silent\n", ValueControl::Now(), error)) << error;
    const std::size_t silent = readings.Of(1).size();
    ASSERT_TRUE(WaitUntil([&] { return readings.Outcomes(1, false, silent) >= 2; }));
    std::ofstream(site) << siteText(150);  // the bus restarts; the alarm settings stay
    ASSERT_TRUE(source->Reload(site, error)) << error;
    ASSERT_TRUE(control->Load("1 温度1 value 41.5\n", ValueControl::Now(), error)) << error;
    EXPECT_TRUE(WaitUntil([&] { return readings.Rises() >= 1; }, 5s)) << "a rise of 21.5 within the hour";

    // Changed limits take effect.
    std::ofstream(site) << siteText(150, "high = 35.0\n");
    ASSERT_TRUE(source->Reload(site, error)) << error;
    EXPECT_TRUE(WaitUntil([&] { return readings.Highs() >= 1; }, 5s));
    source->Stop();
}
