// Limits from the site file: site defaults, a module's keys over them, a channel's over those.
#include <gtest/gtest.h>

#include "alarms/site_alarm_config.h"
#include "tests/alarms/alarm_test_support.h"

using namespace alarm_test;

namespace {

const char* kSite = R"(
name = "一号粮库"
[alarms]
high = 35.0
low = -10
deadband = 0.5
delay = 3
rise = 5.0
rise_window_h = 24.0
offline_after = 4

[[bus]]
port = 3
  [[bus.module]]
  address = 1
  name = "3号仓"
  [bus.module.channels]
  "温度1" = "3号仓-B缆-2米"
  [bus.module.alarms]
  high = 30.0
  offline_after = 2
  [bus.module.channel_alarms."温度1"]
  high = 28.0
  delay = 1
  [bus.module.channel_alarms."PT100温度2"]
  low = -40

  [[bus.module]]
  address = 2

[[bus]]
device = "/dev/ttyUSB0"
  [[bus.module]]
  address = 1
)";

TEST(SiteAlarmConfig, EachLevelOverridesOnlyTheKeysItSets) {
    std::string error;
    const auto config = ParseSiteAlarmConfig(kSite, "site.toml", error);
    ASSERT_TRUE(config) << error;
    ASSERT_EQ(config->modules.size(), 3u);

    const ModuleAlarmConfig* named = config->Find(1, 1);
    ASSERT_NE(named, nullptr);
    EXPECT_EQ(named->name, "3号仓");
    EXPECT_EQ(named->module.offlineAfter, 2);
    const AlarmLimits& probe1 = named->channels[kProbe1];
    EXPECT_EQ(probe1.high, 28.0);
    EXPECT_EQ(probe1.delay, 1);
    EXPECT_EQ(probe1.low, -10.0) << "an integer is a number too";
    EXPECT_EQ(probe1.deadband, 0.5);
    EXPECT_EQ(probe1.rise, 5.0);
    EXPECT_EQ(probe1.riseWindowHours, 24.0);
    EXPECT_EQ(named->channelNames[kProbe1], "3号仓-B缆-2米");
    EXPECT_EQ(named->channelNames[kProbe1 + 1], "温度2");
    EXPECT_EQ(named->channels[1].low, -40.0);
    EXPECT_EQ(named->channels[1].high, 30.0);
    EXPECT_EQ(named->channels[kProbe1 + 1].high, 30.0);
    EXPECT_EQ(named->channels[kProbe1 + 1].delay, 3);

    const ModuleAlarmConfig* plain = config->Find(1, 2);
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain->channels[kProbe1].high, 35.0);
    EXPECT_EQ(plain->module.offlineAfter, 4);
    EXPECT_NE(config->Find(2, 1), nullptr) << "buses are numbered in file order";
}

TEST(SiteAlarmConfig, NoAlarmTablesMeansNoLimits) {
    std::string error;
    const auto config =
        ParseSiteAlarmConfig("name = \"x\"\n[[bus]]\nport = 1\n[[bus.module]]\naddress = 5\n",
                             "site.toml", error);
    ASSERT_TRUE(config) << error;
    const AlarmLimits& limits = config->Find(1, 5)->channels[kProbe1];
    EXPECT_FALSE(limits.high);
    EXPECT_FALSE(limits.low);
    EXPECT_FALSE(limits.rise);
    EXPECT_EQ(limits.delay, 1);
    EXPECT_EQ(config->Find(1, 5)->module.offlineAfter, 3);
}

TEST(SiteAlarmConfig, BadValuesAreRefusedWithAReason) {
    const char* bad[] = {
        "[alarms]\nhigh = \"hot\"\n",
        "[alarms]\ndelay = 0\n",
        "[alarms]\ndelay = 1.5\n",
        "[alarms]\ndeadband = -1\n",
        "[alarms]\nrise_window_h = 0\n",
        "[alarms]\nhigh = nan\n",
        "[[bus]]\n[[bus.module]]\naddress = 1\n[bus.module.channel_alarms.\"温度65\"]\nhigh = 1\n",
        "[[bus]]\n[[bus.module]]\naddress = 1\n[[bus.module]]\naddress = 1\n",
        "[[bus]]\n[[bus.module]]\nname = \"no address\"\n",
        "[alarms\n",
    };
    for (const char* text : bad) {
        std::string error;
        EXPECT_FALSE(ParseSiteAlarmConfig(text, "site.toml", error)) << text;
        EXPECT_FALSE(error.empty()) << text;
    }
}

}  // namespace
