// The engine as a table: readings of one channel in, the alarm changes they cause out.
#include <gtest/gtest.h>

#include "alarms/alarm_engine.h"
#include "tests/alarms/alarm_test_support.h"

using namespace alarm_test;

namespace {

const std::string kRaised = "报警未确认";

struct Step {
    double value;
    std::string changes;  // "kind:state;…", empty for none
};

struct EngineCase {
    const char* name;
    int channel;
    AlarmLimits limits;
    int minutesApart;
    std::vector<Step> steps;
};

AlarmLimits High(double high, double deadband = 0, int delay = 1) {
    AlarmLimits limits;
    limits.high = high;
    limits.deadband = deadband;
    limits.delay = delay;
    return limits;
}

AlarmLimits Low(double low, double deadband = 0, int delay = 1) {
    AlarmLimits limits;
    limits.low = low;
    limits.deadband = deadband;
    limits.delay = delay;
    return limits;
}

AlarmLimits Rise(double rise, double hours, double deadband = 0) {
    AlarmLimits limits;
    limits.rise = rise;
    limits.riseWindowHours = hours;
    limits.deadband = deadband;
    return limits;
}

AlarmLimits Offline(int after) {
    AlarmLimits limits;
    limits.offlineAfter = after;
    return limits;
}

const std::vector<EngineCase> kCases = {
    {"high: on the limit is not beyond, a tenth above is", kProbe1, High(30), 1,
     {{29.9, ""}, {30.0, ""}, {30.1, "超上限:报警未确认"}, {30.0, ""}, {29.9, "超上限:恢复未确认"}}},
    {"high delay 3: the third reading in a row raises, a reading on the limit restarts", kProbe1,
     High(30, 0, 3), 1,
     {{31, ""}, {31, ""}, {30, ""}, {31, ""}, {31, ""}, {31, "超上限:报警未确认"}, {31, ""}}},
    {"high delay 3: a failed reading neither counts nor restarts the run", kProbe1,
     High(30, 0, 3), 1,
     {{31, ""}, {31, ""}, {kFailed, ""}, {31, "超上限:报警未确认"}}},
    {"high deadband: clears only more than the deadband below", kProbe1, High(30, 0.5), 1,
     {{30.5, "超上限:报警未确认"}, {29.6, ""}, {29.5, ""}, {29.4, "超上限:恢复未确认"}}},
    {"high delay counts again after it cleared", kProbe1, High(30, 0, 2), 1,
     {{31, ""}, {31, "超上限:报警未确认"}, {20, "超上限:恢复未确认"}, {31, ""},
      {31, "超上限:报警未确认"}}},
    {"low at 0: -0.0 and 0.0 sit on the limit", kProbe1, Low(0), 1,
     {{-0.0, ""}, {0.0, ""}, {-0.1, "超下限:报警未确认"}, {-0.0, ""}, {0.0, ""},
      {0.1, "超下限:恢复未确认"}}},
    {"low deadband and delay", kProbe1, Low(-10, 1, 2), 1,
     {{-10.1, ""}, {-10.1, "超下限:报警未确认"}, {-9.0, ""}, {-8.9, "超下限:恢复未确认"}}},
    {"probe range: 125.0 is a temperature, 125.1 a fault that holds the limits off", kProbe1,
     High(100), 1,
     {{125.0, "超上限:报警未确认"}, {125.1, "传感器故障:报警未确认"}, {20, "传感器故障:恢复未确认;超上限:恢复未确认"}}},
    {"probe range at the bottom", kProbe1, AlarmLimits{}, 1,
     {{-55.0, ""}, {-55.1, "传感器故障:报警未确认"}, {-55.1, ""}, {-55.0, "传感器故障:恢复未确认"}}},
    {"PT100 range is its own", 0, AlarmLimits{}, 1,
     {{-55.1, ""}, {850.0, ""}, {850.1, "传感器故障:报警未确认"}, {-200.0, "传感器故障:恢复未确认"},
      {-200.1, "传感器故障:报警未确认"}}},
    {"a probe that was in the block and is gone has failed", kProbe1 + 1, High(30), 1,
     {{kMissing, ""}, {20, ""}, {kMissing, "传感器故障:报警未确认"}, {kMissing, ""},
      {20, "传感器故障:恢复未确认"}}},
    {"offline at the third failed reading in a row", kProbe1, Offline(3), 1,
     {{kFailed, ""}, {kFailed, ""}, {20, ""}, {kFailed, ""}, {kFailed, ""},
      {kFailed, "模块离线:报警未确认"}, {kFailed, ""}, {20, "模块离线:恢复未确认"}}},
    {"offline at the first failure when set to 1", kProbe1, Offline(1), 1,
     {{kFailed, "模块离线:报警未确认"}, {20, "模块离线:恢复未确认"}}},
    {"rise: more than 5 degrees within the hour", kProbe1, Rise(5, 1), 10,
     {{20, ""}, {22, ""}, {25.0, ""}, {25.1, "温升过快:报警未确认"}, {25.1, ""},
      // 20.0 was read 60 min before 30 min later; now 22.0 is the lowest in the window
      {25.1, ""}, {25.1, ""}, {25.1, "温升过快:恢复未确认"}}},
    {"rise: the low point leaves the window", kProbe1, Rise(5, 1), 31,
     {{20, ""}, {23, ""}, {25.5, ""}}},
    {"rise: a dip and a climb count from the dip", kProbe1, Rise(5, 24, 1), 60,
     {{20, ""}, {18, ""}, {23.0, ""}, {23.1, "温升过快:报警未确认"}, {22.1, ""},
      {22.0, ""}, {21.9, "温升过快:恢复未确认"}}},
    {"rise: tenths that subtract unevenly still compare exactly", kProbe1, Rise(5, 1), 1,
     {{20.1, ""}, {25.1, ""}, {25.2, "温升过快:报警未确认"}}},
};

class EngineTable : public testing::TestWithParam<EngineCase> {};

TEST_P(EngineTable, ReadingsGiveTheExpectedChanges) {
    const EngineCase& c = GetParam();
    SiteAlarmConfig config;
    config.modules.push_back(UniformModule(1, 1, "1号仓", AlarmLimits{}));
    config.modules[0].module.offlineAfter = c.limits.offlineAfter;
    config.modules[0].channels[static_cast<std::size_t>(c.channel)] = c.limits;
    AlarmEngine engine(config, nullptr);
    ChangeLog log;
    engine.AddObserver(&log);
    auto time = Start();
    for (std::size_t i = 0; i < c.steps.size(); ++i) {
        engine.OnSiteReading(ReadingWith(c.channel, c.steps[i].value, time));
        EXPECT_EQ(log.Take(), c.steps[i].changes) << "step " << i << ", value " << c.steps[i].value;
        time += std::chrono::minutes(c.minutesApart);
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, EngineTable, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<EngineCase>& info) {
                             return "case" + std::to_string(info.index);
                         });

class Acknowledgement : public testing::Test {
protected:
    Acknowledgement() : engine_(Config(), nullptr) { engine_.AddObserver(&log_); }
    static SiteAlarmConfig Config() {
        SiteAlarmConfig config;
        config.modules.push_back(UniformModule(1, 1, "1号仓", High(30)));
        return config;
    }
    void Feed(double probe1) {
        engine_.OnSiteReading(ReadingWith(kProbe1, probe1, time_));
        time_ += std::chrono::seconds(5);
    }
    AlarmEngine engine_;
    ChangeLog log_;
    std::chrono::system_clock::time_point time_ = Start();
};

TEST_F(Acknowledgement, ActiveAlarmStaysUntilClearedThenIsNormal) {
    Feed(31);
    ASSERT_EQ(engine_.Active().size(), 1u);
    const std::uint64_t id = engine_.Active()[0].id;
    log_.Take();
    EXPECT_TRUE(engine_.Acknowledge(id, "张三"));
    EXPECT_EQ(log_.Take(), "超上限:报警已确认");
    EXPECT_EQ(log_.events.back().user, "张三");
    EXPECT_FALSE(engine_.Acknowledge(id, "张三")) << "a second acknowledgement changes nothing";
    EXPECT_EQ(log_.Take(), "");
    EXPECT_EQ(engine_.ActiveCount(1, 1), 1);
    Feed(20);
    EXPECT_EQ(log_.Take(), "超上限:正常");
    EXPECT_TRUE(engine_.Active().empty());
    EXPECT_EQ(engine_.ActiveCount(1, 1), 0);
}

TEST_F(Acknowledgement, ClearedAlarmWaitsForAcknowledgementAndComesBackAsItself) {
    Feed(31);
    const std::uint64_t id = engine_.Active()[0].id;
    Feed(20);
    EXPECT_EQ(engine_.ActiveCount(1, 1), 0);
    ASSERT_EQ(engine_.Active().size(), 1u) << "cleared but not acknowledged is still listed";
    Feed(31);
    ASSERT_EQ(engine_.Active().size(), 1u);
    EXPECT_EQ(engine_.Active()[0].id, id);
    Feed(20);
    log_.Take();
    EXPECT_TRUE(engine_.Acknowledge(id, "李四"));
    EXPECT_EQ(log_.Take(), "超上限:正常");
    EXPECT_TRUE(engine_.Active().empty());
    Feed(31);
    ASSERT_EQ(engine_.Active().size(), 1u);
    EXPECT_GT(engine_.Active()[0].id, id) << "a new alarm after normal";
}

TEST_F(Acknowledgement, AllAcknowledgesOnlyWhatWaits) {
    engine_.OnSiteReading(ReadingWith(kProbe1 + 1, 40, time_));  // 温度2
    Feed(31);
    const std::uint64_t first = engine_.Active()[0].id;
    EXPECT_TRUE(engine_.Acknowledge(first, "张三"));
    EXPECT_EQ(engine_.AcknowledgeAll("李四"), 1);
    EXPECT_EQ(engine_.AcknowledgeAll("李四"), 0);
    EXPECT_FALSE(engine_.Acknowledge(999, "李四"));
}

TEST_F(Acknowledgement, ObserverMayAcknowledgeFromInsideTheChange) {
    struct AutoAck : AlarmObserver {
        AlarmEngine* engine = nullptr;
        void OnAlarmChange(const AlarmEvent& event) override {
            if (event.state == AlarmState::ActiveUnacked) engine->Acknowledge(event.id, "auto");
        }
    } autoAck;
    autoAck.engine = &engine_;
    engine_.AddObserver(&autoAck);
    Feed(31);
    EXPECT_EQ(log_.Take(), "超上限:报警未确认;超上限:报警已确认");
    engine_.RemoveObserver(&autoAck);
}

TEST(AlarmEvent, ChangeCarriesModuleChannelNameValueAndLimit) {
    SiteAlarmConfig config;
    config.modules.push_back(UniformModule(2, 7, "3号仓", High(30)));
    config.modules[0].channelNames[kProbe1] = "B缆-2米";
    AlarmEngine engine(config, nullptr);
    ChangeLog log;
    engine.AddObserver(&log);
    SiteReading reading = ReadingWith(kProbe1, 31.5, Start(), 7);
    reading.bus = 2;
    reading.module = "3号仓";
    engine.OnSiteReading(reading);
    ASSERT_EQ(log.events.size(), 1u);
    const AlarmEvent& event = log.events[0];
    EXPECT_EQ(event.bus, 2);
    EXPECT_EQ(event.address, 7);
    EXPECT_EQ(event.module, "3号仓");
    EXPECT_EQ(event.channel, kProbe1);
    EXPECT_EQ(event.channelName, "B缆-2米");
    EXPECT_DOUBLE_EQ(event.value, 31.5);
    EXPECT_DOUBLE_EQ(event.limit, 30);
    EXPECT_EQ(event.time, Start());
    EXPECT_EQ(engine.ActiveCount(2, 7), 1);
    EXPECT_EQ(engine.ActiveCount(1, 7), 0);
}

}  // namespace
