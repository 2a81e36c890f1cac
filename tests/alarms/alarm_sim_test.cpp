// From the simulator's frames to the journal: a control file drives a module, the command layer
// reads its blocks over the pseudo-terminal, the engine raises and clears, the journal records.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "alarms/alarm_journal.h"
#include "link/serial_port.h"
#include "link/temperature_block.h"
#include "sim/control_file_watcher.h"
#include "sim/simulated_module.h"
#include "tests/alarms/alarm_test_support.h"

using namespace alarm_test;

namespace {

constexpr int kPort = 11;
constexpr int kAddress = 3;

class SimulatedSite : public testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "k7r2-alarm-sim-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
        setenv("K7R2_PORT_DIR", dir_.c_str(), 1);
        control_ = dir_ + "/control.txt";
        Drive("");
        auto values = std::make_shared<ValueControl>();
        watcher_ = std::make_unique<ControlFileWatcher>(control_, "", values,
                                                        [](const std::string&, bool) {});
        std::string error;
        ASSERT_TRUE(watcher_->LoadNow(error)) << error;
        watcher_->Start();
        SimOptions options;
        options.port = kPort;
        options.address = kAddress;
        options.probeCount = 4;
        options.paceBytes = false;
        options.portDirectory = dir_;
        options.control = values;
        module_ = std::make_unique<SimulatedModule>(options);
        ASSERT_TRUE(module_->Start()) << module_->LastError();
        PollSettings settings;
        settings.port = kPort;
        settings.baud = 9600;
        settings.address = kAddress;
        port_ = OpenCommPort(settings, TimeoutProfile::Interactive);
        ASSERT_TRUE(port_.IsOpen());
    }
    void TearDown() override {
        port_ = CommPort();
        if (module_) module_->Stop();
        if (watcher_) watcher_->Stop();
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
        unsetenv("K7R2_PORT_DIR");
    }

    // Writes the control file whole and renames it into place.
    void Drive(const std::string& text) {
        const std::string temporary = control_ + ".new";
        std::ofstream(temporary, std::ios::binary) << text;
        std::filesystem::rename(temporary, control_);
    }

    SiteReading ReadOnce() {
        ReplyBlock block{};
        BlockFault fault = BlockFault::None;
        SiteReading site;
        site.bus = 1;
        site.address = kAddress;
        site.module = "3号仓";
        const auto now = std::chrono::system_clock::now();
        site.reading = ExchangeTemperatureBlock(port_, kAddress, false, block, &fault)
                           ? ReadingFromBlock(block, now)
                           : FailedReading(fault, now);
        return site;
    }

    // Reads and feeds the engine until the change arrives (or 15 s pass).
    bool ReadUntil(AlarmEngine& engine, ChangeLog& log, const std::string& change) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
        std::string seen;
        while (std::chrono::steady_clock::now() < deadline) {
            engine.OnSiteReading(ReadOnce());
            const std::string taken = log.Take();
            if (!taken.empty()) seen += (seen.empty() ? "" : ";") + taken;
            if (seen.find(change) != std::string::npos) return true;
        }
        ADD_FAILURE() << "waited for " << change << ", saw " << seen;
        return false;
    }

    std::string dir_;
    std::string control_;
    std::unique_ptr<ControlFileWatcher> watcher_;
    std::unique_ptr<SimulatedModule> module_;
    CommPort port_;
};

TEST_F(SimulatedSite, DrivenValuesRaiseAndClearEveryKindIntoTheJournal) {
    std::string error;
    const std::string site = "[alarms]\nhigh = 30\ndelay = 2\noffline_after = 2\n"
                             "[[bus]]\nport = 11\n[[bus.module]]\naddress = 3\nname = \"3号仓\"\n"
                             "[bus.module.channels]\n\"温度1\" = \"东墙\"\n"
                             "[bus.module.channel_alarms.\"温度2\"]\nrise = 2\nhigh = 100\n";
    auto config = ParseSiteAlarmConfig(site, "site.toml", error);
    ASSERT_TRUE(config) << error;
    for (int channel = 0; channel < kReadingPt100s; ++channel) {
        config->modules[0].channels[static_cast<std::size_t>(channel)].high.reset();
    }
    AlarmJournal journal(dir_ + "/site-报警.csv");
    AlarmEngine engine(*config, &journal);
    ChangeLog log;
    engine.AddObserver(&log);

    Drive("3 温度1 ramp 25 600\n3 温度2 value 20\n3 温度3 value 20\n3 温度4 value 20\n");
    ASSERT_TRUE(ReadUntil(engine, log, "超上限:报警未确认"));
    const AlarmEvent high = log.events.back();
    EXPECT_EQ(high.channel, kProbe1);
    EXPECT_EQ(high.channelName, "东墙");
    EXPECT_GT(high.value, 30);

    Drive("3 温度1 value 20\n3 温度2 ramp 20 600\n3 温度3 value 20\n3 温度4 value 20\n");
    ASSERT_TRUE(ReadUntil(engine, log, "超上限:恢复未确认"));
    ASSERT_TRUE(ReadUntil(engine, log, "温升过快:报警未确认"));

    Drive("3 温度1 value 20\n3 温度2 value 20\n3 温度3 dropout\n3 probes 3\n");
    ASSERT_TRUE(ReadUntil(engine, log, "传感器故障:报警未确认;传感器故障:报警未确认"));

    Drive("3 silent\n");
    ASSERT_TRUE(ReadUntil(engine, log, "模块离线:报警未确认"));
    Drive("3 温度1 value 20\n");
    ASSERT_TRUE(ReadUntil(engine, log, "模块离线:恢复未确认"));

    std::vector<AlarmEvent> records;
    ASSERT_TRUE(journal.Load(records, error)) << error;
    std::string kinds;
    for (const AlarmEvent& record : records) {
        kinds += std::string(AlarmKindText(record.kind)) + ":" + AlarmStateText(record.state) + ";";
    }
    for (const char* expected : {"超上限:报警未确认;", "超上限:恢复未确认;", "温升过快:报警未确认;",
                                 "传感器故障:报警未确认;", "模块离线:报警未确认;",
                                 "模块离线:恢复未确认;"}) {
        EXPECT_NE(kinds.find(expected), std::string::npos) << expected << " in " << kinds;
    }
    EXPECT_EQ(records.size(), log.events.size()) << "every change shown is journaled";
}

}  // namespace
