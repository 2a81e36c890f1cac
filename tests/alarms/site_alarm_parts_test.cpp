// What the site window makes of the alarms without a window: the board's worst state per cell
// and module and its markers, a channel's limits typed and saved to the site file, the
// journal's history for a range and its export.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "alarms/alarm_journal.h"
#include "alarms/iso_time.h"
#include "alarms/site_alarm_config.h"
#include "sitewin/alarm_board.h"
#include "sitewin/alarm_history.h"
#include "sitewin/alarm_limits_file.h"

namespace {

AlarmEvent Event(std::uint64_t id, int address, int channel, AlarmKind kind, AlarmState state) {
    AlarmEvent event;
    event.id = id;
    event.address = address;
    event.channel = channel;
    event.kind = kind;
    event.state = state;
    return event;
}

TEST(AlarmBoardTest, WorstStateAndMarkersFollowEveryChange) {
    AlarmBoard board;
    board.Apply(Event(1, 1, 4, AlarmKind::High, AlarmState::ActiveAcked));
    board.Apply(Event(2, 1, 4, AlarmKind::RiseRate, AlarmState::ClearedUnacked));
    board.Apply(Event(3, 2, -1, AlarmKind::Offline, AlarmState::ActiveUnacked));
    // The acknowledged active alarm is the worst colour, but the cleared one still wants an
    // acknowledgement: the marker says so.
    EXPECT_EQ(board.Worst(1, 1, 4), AlarmState::ActiveAcked);
    EXPECT_EQ(board.Marker(1, 4, 4), "");  // bus 1 address 4: nothing
    EXPECT_EQ(board.Marker(1, 1, 4), "!超上限 报警已确认 +1");
    EXPECT_TRUE(board.Unacked(1, 1, 4));
    EXPECT_EQ(board.ModuleMarker(1, 2), "!模块离线 报警未确认");
    EXPECT_EQ(board.WorstOfModule(1, 2), AlarmState::ActiveUnacked);
    EXPECT_FALSE(board.Worst(1, 2, 4).has_value()) << "a module alarm is not a channel's";
    EXPECT_EQ(board.Summary(), "报警: 3 个 (2 个未确认)");

    // The cleared one acknowledged goes; the acknowledged one, cleared, goes too.
    board.Apply(Event(2, 1, 4, AlarmKind::RiseRate, AlarmState::Normal));
    EXPECT_EQ(board.Marker(1, 1, 4), "超上限 报警已确认");
    EXPECT_FALSE(board.Unacked(1, 1, 4));
    board.Apply(Event(1, 1, 4, AlarmKind::High, AlarmState::Normal));
    EXPECT_FALSE(board.WorstOfModule(1, 1).has_value());
    EXPECT_EQ(board.Count(), 1);
    // Buses are apart: the same address on bus 2 is another module.
    AlarmEvent other = Event(4, 2, 4, AlarmKind::Low, AlarmState::ActiveUnacked);
    other.bus = 2;
    board.Apply(other);
    EXPECT_EQ(board.Marker(1, 2, 4), "");
    EXPECT_EQ(board.Marker(2, 2, 4), "!超下限 报警未确认");
    board.Reset({});
    EXPECT_EQ(board.Summary(), "报警: 无");
}

TEST(AlarmLimitTextsTest, BlankKeepsTheLevelAboveAndBadFieldsAreNamed) {
    AlarmLimitKeys keys;
    std::string error;
    ASSERT_TRUE(ParseLimitTexts({"30.5", " ", "-0", "3", "", ""}, keys, error)) << error;
    EXPECT_EQ(keys.high, 30.5);
    EXPECT_FALSE(keys.low.has_value());
    ASSERT_TRUE(keys.deadband.has_value());
    EXPECT_FALSE(std::signbit(*keys.deadband)) << "-0 is saved as 0";
    EXPECT_EQ(keys.delay, 3);
    const AlarmLimitTexts back = LimitTexts(keys);
    EXPECT_EQ(back.high, "30.5");
    EXPECT_EQ(back.low, "");
    EXPECT_EQ(back.delay, "3");
    AlarmLimits limits;
    limits.high = 30.5;
    limits.deadband = 0.5;
    limits.delay = 2;
    limits.rise = 5;
    limits.riseWindowHours = 24;
    EXPECT_EQ(EffectiveLimitsText(limits), "现行: 上限 30.5, 下限 无, 回差 0.5, 延时 2 次, 温升 5 °C/24 小时");

    const struct {
        AlarmLimitTexts texts;
        const char* error;
    } bad[] = {
        {{"30x", "", "", "", "", ""}, "上限须为数值!"},
        {{"", "nan", "", "", "", ""}, "下限须为数值!"},
        {{"10", "10", "", "", "", ""}, "下限须小于上限!"},
        {{"", "", "-1", "", "", ""}, "回差不能为负!"},
        {{"", "", "", "1.5", "", ""}, "延时须为 1 到 1000000 的整数!"},
        {{"", "", "", "0", "", ""}, "延时须为 1 到 1000000 的整数!"},
        {{"", "", "", "", "0", ""}, "温升速率和温升窗口须大于 0!"},
    };
    for (const auto& row : bad) {
        keys = AlarmLimitKeys{};
        keys.high = 99;
        EXPECT_FALSE(ParseLimitTexts(row.texts, keys, error)) << row.error;
        EXPECT_EQ(error, row.error);
        EXPECT_EQ(keys.high, 99) << "untouched on a refusal";
    }
}

class SiteFileLimitsTest : public testing::Test {
protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("k7r2-limits-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir_);
        path_ = (dir_ / "site.toml").string();
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    void Write(const std::string& text) { std::ofstream(path_, std::ios::binary) << text; }
    std::string Read() {
        std::ifstream in(path_, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    std::filesystem::path dir_;
    std::string path_;
};

TEST_F(SiteFileLimitsTest, AChannelsKeysAreSetRemovedAndTheRestOfTheFileStays) {
    Write(R"(# 站点
name = "站"
[alarms]
high = 60.0
[[bus]]
port = 3
  [[bus.module]]
  address = 7
  name = "七号"
  [bus.module.channel_alarms."温度2"]
  low = -5.0
  note = "别的程序的键"   # 保留
)");
    SiteFile file;
    std::string error;
    ASSERT_TRUE(file.Load(path_, error)) << error;
    const AlarmLimitKeys before = ChannelLimitKeys(file, 0, 7, 5);
    EXPECT_EQ(before.low, -5.0);
    EXPECT_FALSE(before.high.has_value());

    AlarmLimitKeys keys;
    keys.high = 35;
    keys.delay = 2;
    ASSERT_TRUE(SaveChannelLimits(file, path_, 0, 7, 5, keys, error)) << error;
    const std::string text = Read();
    EXPECT_NE(text.find("别的程序的键"), std::string::npos) << text;
    EXPECT_NE(text.find("# 站点"), std::string::npos) << text;
    const auto config = ReadSiteAlarmConfig(path_, error);
    ASSERT_TRUE(config) << error;
    const AlarmLimits& channel = config->Find(1, 7)->channels[5];
    EXPECT_EQ(channel.high, 35.0);
    EXPECT_FALSE(channel.low.has_value()) << "a key left out is removed";
    EXPECT_EQ(channel.delay, 2);
    EXPECT_EQ(config->Find(1, 7)->channels[6].high, 60.0) << "the site's default";
    EXPECT_EQ(ChannelLimitKeys(file, 0, 7, 5).high, 35.0) << "the file in memory follows";

    // No key at all: the channel's limits go, another program's key stays.
    ASSERT_TRUE(SaveChannelLimits(file, path_, 0, 7, 5, AlarmLimitKeys{}, error)) << error;
    EXPECT_EQ(ReadSiteAlarmConfig(path_, error)->Find(1, 7)->channels[5].high, 60.0);
    EXPECT_NE(Read().find("别的程序的键"), std::string::npos);

    // A module the file does not have: refused, file untouched.
    const std::string kept = Read();
    EXPECT_FALSE(SaveChannelLimits(file, path_, 0, 8, 5, keys, error));
    EXPECT_EQ(Read(), kept);
}

TEST_F(SiteFileLimitsTest, HistoryTakesTheRangesRecordsAndExportsThemAsTheJournalHasThem) {
    const std::string journalPath = (dir_ / "site-报警.csv").string();
    AlarmJournal journal(journalPath);
    std::string error;
    const auto at = [](const char* time) { return *ParseIsoTime(time); };
    AlarmEvent raised = Event(0, 3, 4, AlarmKind::High, AlarmState::ActiveUnacked);
    raised.module = "三号, \"东\"";  // quoted in the CSV
    raised.value = 31.2;
    raised.limit = 30;
    raised.time = at("2026-12-01T23:59:59");
    ASSERT_TRUE(journal.Append(raised, error)) << error;
    AlarmEvent acked = raised;
    acked.state = AlarmState::ActiveAcked;
    acked.user = "值班员";
    acked.time = at("2026-12-02T08:00:00");
    ASSERT_TRUE(journal.Append(acked, error)) << error;
    AlarmEvent later = Event(0, 3, -1, AlarmKind::Offline, AlarmState::ActiveUnacked);
    later.value = later.limit = std::nan("");
    later.time = at("2026-12-03T00:00:00");
    ASSERT_TRUE(journal.Append(later, error)) << error;

    AlarmHistoryRange range;
    ASSERT_TRUE(ParseHistoryRange("2026-12-02", "2026-12-02", range, error)) << error;
    std::vector<AlarmEvent> records;
    ASSERT_TRUE(LoadAlarmHistory(journalPath, range, records, error)) << error;
    ASSERT_EQ(records.size(), 1u) << "the day of 到 is whole, the next day is not in it";
    EXPECT_EQ(records[0].user, "值班员");
    EXPECT_EQ(records[0].id, 1u) << "the alarm's id from the whole journal";

    ASSERT_TRUE(ParseHistoryRange("2026-12-01", "2026-12-03", range, error));
    ASSERT_TRUE(LoadAlarmHistory(journalPath, range, records, error));
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[2].id, 2u);
    const std::string exported = (dir_ / "导出.csv").string();
    ASSERT_TRUE(WriteAlarmHistoryCsv(exported, records, error)) << error;
    std::ifstream a(exported, std::ios::binary), b(journalPath, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(a), {}),
              std::string(std::istreambuf_iterator<char>(b), {}));

    EXPECT_FALSE(ParseHistoryRange("12/01", "2026-12-03", range, error));
    EXPECT_EQ(error, "起始时间有误, 应如 2026-12-01: 12/01");
    EXPECT_FALSE(ParseHistoryRange("2026-12-03", "2026-12-01", range, error));
    EXPECT_EQ(error, "结束时间须晚于起始时间!");
    ASSERT_TRUE(ParseHistoryRange("2026-12-01T23:00", "2026-12-02T07:59", range, error));
    ASSERT_TRUE(LoadAlarmHistory((dir_ / "没有-报警.csv").string(), range, records, error));
    EXPECT_TRUE(records.empty()) << "no journal yet: no records";
}

}  // namespace
