// k7r2 alarms list / ack against a journal the engine wrote.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "alarms/alarm_journal.h"
#include "alarms/os_user.h"
#include "record/local_time.h"
#include "cli/commands.h"
#include "tests/alarms/alarm_test_support.h"

using namespace alarm_test;

namespace {

struct CommandRun {
    int status;
    std::string out;
    std::string err;
};

class AlarmsCommand : public testing::Test {
protected:
    void SetUp() override {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "k7r2-alarms-cli-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
        site_ = dir_ + "/一号粮库.toml";
        std::ofstream(site_) << "name = \"一号粮库\"\n";
        // 1 active, 2 cleared and waiting, 3 over (normal), 4 active and acknowledged.
        AlarmLimits limits;
        limits.high = 30;
        SiteAlarmConfig config;
        config.modules.push_back(UniformModule(1, 1, "1号仓", limits));
        AlarmJournal journal(AlarmJournalPathFor(site_));
        AlarmEngine engine(config, &journal);
        const auto feed = [&](double c0, double c1, double c4, double c5, int minute) {
            SiteReading reading = ReadingWith(0, c0, Start() + std::chrono::minutes(minute));
            reading.reading.words[1] = Word(c1);
            reading.reading.words[kProbe1] = Word(c4);
            reading.reading.words[kProbe1 + 1] = Word(c5);
            engine.OnSiteReading(reading);
        };
        feed(31, 20, 20, 20, 0);  // 1
        feed(31, 31, 20, 20, 1);  // 2
        feed(31, 20, 31, 20, 2);  // 2 cleared; 3
        engine.Acknowledge(3, "张三");
        feed(31, 20, 20, 31, 3);  // 3 normal; 4
        engine.Acknowledge(4, "李四");
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
    CommandRun K7r2(std::vector<std::string> args) {
        args.insert(args.begin(), "k7r2");
        std::ostringstream out, err;
        const int status = RunK7r2(args, out, err);
        return {status, out.str(), err.str()};
    }
    std::uintmax_t JournalSize() const {
        return std::filesystem::file_size(AlarmJournalPathFor(site_));
    }
    static std::vector<int> Ids(const std::string& json) {
        std::vector<int> ids;
        const nlohmann::json parsed = nlohmann::json::parse(json);
        for (const auto& alarm : parsed["alarms"]) ids.push_back(alarm["id"]);
        return ids;
    }

    std::string dir_;
    std::string site_;
};

TEST_F(AlarmsCommand, ListShowsWhatIsActiveOrWaitingAndSinceShowsHistory) {
    const CommandRun text = K7r2({"alarms", "list", site_});
    EXPECT_EQ(text.status, 0) << text.err;
    EXPECT_NE(text.out.find("#1  "), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("PT100温度2  超上限  值 31  限值 30  恢复未确认"), std::string::npos)
        << text.out;
    EXPECT_EQ(text.out.find("#3  "), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("报警已确认  确认: 李四"), std::string::npos) << text.out;

    EXPECT_EQ(Ids(K7r2({"--json", "alarms", "list", site_}).out), (std::vector<int>{1, 2, 4}));
    EXPECT_EQ(Ids(K7r2({"alarms", "list", site_, "--active", "--json"}).out),
              (std::vector<int>{1, 4}));
    EXPECT_EQ(Ids(K7r2({"alarms", "list", site_, "--since", "2000-01-01", "--json"}).out),
              (std::vector<int>{1, 2, 3, 4}));
    const std::string since =
        IsoLocalTime(Start() + std::chrono::minutes(2));  // alarm 3 was raised then
    EXPECT_EQ(Ids(K7r2({"alarms", "list", site_, "--since", since, "--json"}).out),
              (std::vector<int>{3, 4}));

    const auto json = nlohmann::json::parse(K7r2({"alarms", "list", site_, "--json"}).out);
    const auto& first = json["alarms"][0];
    EXPECT_EQ(first["label"], "PT100温度1");
    EXPECT_EQ(first["kind"], "超上限");
    EXPECT_EQ(first["value"], 31.0);
    EXPECT_EQ(first["state"], "报警未确认");
    EXPECT_TRUE(first["acknowledgedAt"].is_null());
}

TEST_F(AlarmsCommand, AckWritesOneRecordPerAlarmAndNothingTheSecondTime) {
    const auto before = JournalSize();
    const CommandRun ack = K7r2({"alarms", "ack", site_, "1", "2", "4"});
    EXPECT_EQ(ack.status, 0) << ack.err;
    EXPECT_NE(ack.err.find("报警 #4 已确认"), std::string::npos) << ack.err;

    std::vector<AlarmEvent> records;
    std::string error;
    ASSERT_TRUE(AlarmJournal(AlarmJournalPathFor(site_)).Load(records, error));
    ReplayJournal(records);
    ASSERT_GE(records.size(), 2u);
    const AlarmEvent& one = records[records.size() - 2];
    const AlarmEvent& two = records.back();
    EXPECT_EQ(one.id, 1u);
    EXPECT_EQ(one.state, AlarmState::ActiveAcked);
    EXPECT_EQ(one.user, OsUserName());
    EXPECT_EQ(two.id, 2u);
    EXPECT_EQ(two.state, AlarmState::Normal);
    EXPECT_GT(JournalSize(), before);

    const auto after = JournalSize();
    EXPECT_EQ(K7r2({"alarms", "ack", site_, "1", "2"}).status, 1) << "2 is normal now";
    EXPECT_EQ(K7r2({"alarms", "ack", site_, "--all"}).status, 0);
    EXPECT_EQ(JournalSize(), after);
    EXPECT_EQ(Ids(K7r2({"alarms", "list", site_, "--json"}).out), (std::vector<int>{1, 4}));
}

TEST_F(AlarmsCommand, AckAllTakesEveryWaitingAlarm) {
    const CommandRun ack = K7r2({"--json", "alarms", "ack", site_, "--all"});
    EXPECT_EQ(ack.status, 0) << ack.err;
    EXPECT_EQ(nlohmann::json::parse(ack.out)["acknowledged"], nlohmann::json({1, 2}));
}

TEST_F(AlarmsCommand, BadArgumentsAndMissingFiles) {
    EXPECT_EQ(K7r2({"alarms", "ack", site_}).status, 2);
    EXPECT_EQ(K7r2({"alarms", "ack", site_, "--all", "1"}).status, 2);
    EXPECT_EQ(K7r2({"alarms", "ack", site_, "0"}).status, 2);
    EXPECT_EQ(K7r2({"alarms", "list", site_, "--since", "yesterday"}).status, 2);
    EXPECT_EQ(K7r2({"alarms", "ack", site_, "99"}).status, 1);
    const CommandRun missing = K7r2({"alarms", "list", dir_ + "/nowhere.toml"});
    EXPECT_EQ(missing.status, 5);
    EXPECT_NE(missing.err.find("无法打开站点文件"), std::string::npos);
    std::ofstream(dir_ + "/empty.toml") << "";
    const CommandRun empty = K7r2({"alarms", "list", dir_ + "/empty.toml"});
    EXPECT_EQ(empty.status, 0);
    EXPECT_NE(empty.err.find("没有报警"), std::string::npos);
}

}  // namespace
