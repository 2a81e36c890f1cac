// The journal: its bytes, written before anyone is told, surviving a kill, restoring a restart.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <thread>

#include "alarms/alarm_journal.h"
#include "tests/alarms/alarm_test_support.h"

using namespace alarm_test;

namespace {

class TempDir {
public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "k7r2-alarms-XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

std::string FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

SiteAlarmConfig HighAt30() {
    AlarmLimits limits;
    limits.high = 30;
    SiteAlarmConfig config;
    config.modules.push_back(UniformModule(1, 1, "1号仓", limits));
    return config;
}

TEST(AlarmJournalPath, BesideTheSiteFileWithoutItsExtension) {
    EXPECT_EQ(AlarmJournalPathFor("/data/一号粮库.toml"), "/data/一号粮库-报警.csv");
    EXPECT_EQ(AlarmJournalPathFor("site"), "site-报警.csv");
    EXPECT_EQ(AlarmJournalPathFor("/data/v1.2/site"), "/data/v1.2/site-报警.csv");
    EXPECT_EQ(AlarmJournalPathFor("C:\\站点\\a.b.toml"), "C:\\站点\\a.b-报警.csv");
}

TEST(AlarmJournalRecord, FieldsAreQuotedOnlyWhenNeededAndReadBack) {
    AlarmEvent event;
    event.time = Start() + std::chrono::milliseconds(123);
    event.bus = 2;
    event.address = 17;
    event.module = "3号仓, \"东\"";
    event.channel = kProbe1 + 9;
    event.channelName = "B缆-2米";
    event.kind = AlarmKind::Low;
    event.value = -0.0;
    event.limit = 28.25;
    event.state = AlarmState::ActiveAcked;
    event.user = "zhang";
    const std::string record = AlarmJournalRecord(event);
    EXPECT_NE(record.find(",2,17,\"3号仓, \"\"东\"\"\",温度10,B缆-2米,超下限,-0,28.25,报警已确认,zhang\r\n"),
              std::string::npos)
        << record;
    AlarmEvent back;
    ASSERT_TRUE(ParseAlarmJournalRecord(record.substr(0, record.size() - 2), back));
    EXPECT_EQ(back.time, event.time);
    EXPECT_EQ(back.module, event.module);
    EXPECT_EQ(back.channel, event.channel);
    EXPECT_EQ(back.kind, event.kind);
    EXPECT_EQ(back.value, 0.0);
    EXPECT_EQ(back.limit, 28.25);
    EXPECT_EQ(back.state, event.state);
    EXPECT_EQ(back.user, "zhang");

    event.channel = -1;
    event.kind = AlarmKind::Offline;
    event.value = std::nan("");
    event.limit = std::nan("");
    const std::string offline = AlarmJournalRecord(event);
    EXPECT_NE(offline.find(",,B缆-2米,模块离线,,,报警已确认,"), std::string::npos) << offline;
    ASSERT_TRUE(ParseAlarmJournalRecord(offline.substr(0, offline.size() - 2), back));
    EXPECT_EQ(back.channel, -1);
    EXPECT_TRUE(std::isnan(back.value));
}

TEST(AlarmJournal, NewFileStartsWithMarkAndHeaderAndEveryChangeIsOneRecord) {
    TempDir dir;
    AlarmJournal journal(dir.path() + "/site-报警.csv");
    AlarmEngine engine(HighAt30(), &journal);
    engine.OnSiteReading(ReadingWith(kProbe1, 31, Start()));
    engine.Acknowledge(engine.Active()[0].id, "张三");
    engine.OnSiteReading(ReadingWith(kProbe1, 29, Start() + std::chrono::seconds(5)));
    const std::string bytes = FileBytes(journal.Path());
    ASSERT_EQ(bytes.rfind("\xEF\xBB\xBF时间,总线,地址,模块,通道,名称,类别,值,限值,状态,用户\r\n", 0), 0u)
        << bytes;
    std::vector<AlarmEvent> records;
    std::string error;
    ASSERT_TRUE(journal.Load(records, error)) << error;
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].state, AlarmState::ActiveUnacked);
    EXPECT_EQ(records[0].value, 31.0);
    EXPECT_EQ(records[0].limit, 30.0);
    EXPECT_EQ(records[1].state, AlarmState::ActiveAcked);
    EXPECT_EQ(records[1].user, "张三");
    EXPECT_EQ(records[2].state, AlarmState::Normal);
    EXPECT_EQ(records[2].value, 29.0);
    std::size_t lines = 0;
    for (std::size_t at = 0; (at = bytes.find("\r\n", at)) != std::string::npos; at += 2) ++lines;
    EXPECT_EQ(lines, 4u);
    EXPECT_EQ(bytes.find('\n'), bytes.find("\r\n") + 1) << "no bare LF";
}

TEST(AlarmJournal, ObserversAreToldOnlyWhatTheFileAlreadyHas) {
    TempDir dir;
    AlarmJournal journal(dir.path() + "/site-报警.csv");
    AlarmEngine engine(HighAt30(), &journal);
    struct Checker : AlarmObserver {
        const AlarmJournal* journal = nullptr;
        std::vector<std::size_t> recordsSeen;
        void OnAlarmChange(const AlarmEvent&) override {
            std::vector<AlarmEvent> records;
            std::string error;
            journal->Load(records, error);
            recordsSeen.push_back(records.size());
        }
    } checker;
    checker.journal = &journal;
    engine.AddObserver(&checker);
    engine.OnSiteReading(ReadingWith(kProbe1, 31, Start()));
    engine.OnSiteReading(ReadingWith(kProbe1, 20, Start() + std::chrono::seconds(5)));
    EXPECT_EQ(checker.recordsSeen, (std::vector<std::size_t>{1, 2}));
}

TEST(AlarmJournal, RefusedWriteIsReportedAndTheAlarmStillShown) {
    TempDir dir;
    AlarmJournal journal(dir.path() + "/no such folder/site-报警.csv");
    AlarmEngine engine(HighAt30(), &journal);
    ChangeLog log;
    engine.AddObserver(&log);
    engine.OnSiteReading(ReadingWith(kProbe1, 31, Start()));
    EXPECT_EQ(log.Take(), "超上限:报警未确认");
    EXPECT_NE(engine.JournalError().find("报警日志写入失败"), std::string::npos);
}

TEST(AlarmJournal, RestartRestoresOpenAlarmsAndContinuesTheIds) {
    TempDir dir;
    const std::string path = dir.path() + "/site-报警.csv";
    SiteAlarmConfig config = HighAt30();
    std::uint64_t acked = 0, cleared = 0;
    {
        AlarmJournal journal(path);
        AlarmEngine engine(config, &journal);
        auto time = Start();
        // PT100温度1, 温度1, 温度2
        const auto feed = [&](double pt100, double probe1, double probe2, int second) {
            SiteReading reading = ReadingWith(0, pt100, time + std::chrono::seconds(second));
            reading.reading.words[kProbe1] = Word(probe1);
            reading.reading.words[kProbe1 + 1] = Word(probe2);
            engine.OnSiteReading(reading);
        };
        feed(20, 31, 31, 0);  // 1 on 温度1: acknowledged, stays active; 2 on 温度2: cleared, waits
        acked = engine.Active()[0].id;
        cleared = engine.Active()[1].id;
        engine.Acknowledge(acked, "张三");
        feed(20, 31, 20, 5);
        feed(35, 31, 20, 10);  // 3: raised, acknowledged and cleared before the restart
        const std::uint64_t over = engine.Active().back().id;
        engine.Acknowledge(over, "张三");
        feed(20, 31, 20, 15);
        ASSERT_EQ(engine.Active().size(), 2u);
    }
    AlarmJournal journal(path);
    AlarmEngine engine(config, &journal);
    const auto active = engine.Active();
    ASSERT_EQ(active.size(), 2u);
    EXPECT_EQ(active[0].id, acked);
    EXPECT_EQ(active[0].state, AlarmState::ActiveAcked);
    EXPECT_EQ(active[0].channel, kProbe1);
    EXPECT_EQ(active[1].id, cleared);
    EXPECT_EQ(active[1].state, AlarmState::ClearedUnacked);
    EXPECT_EQ(engine.ActiveCount(1, 1), 1);

    ChangeLog log;
    engine.AddObserver(&log);
    // The restored active alarm clears on the first reading past its limit, and goes normal
    // because it was acknowledged before the restart.
    auto later = Start() + std::chrono::minutes(1);
    engine.OnSiteReading(ReadingWith(kProbe1, 20, later));
    EXPECT_EQ(log.Take(), "超上限:正常");
    engine.OnSiteReading(ReadingWith(kProbe1, 40, later + std::chrono::seconds(5)));
    ASSERT_EQ(log.events.size(), 2u);
    EXPECT_EQ(log.events.back().id, 4u) << "ids go on after the journal's last";
    EXPECT_TRUE(engine.Acknowledge(cleared, "李四"));
}

// Readings on one thread, acknowledgements on another: observers hear the changes in the
// journal's order, and a replay of the journal ends where the engine is.
TEST(AlarmJournal, ConcurrentAcknowledgementsKeepJournalAndObserversInStep) {
    TempDir dir;
    AlarmJournal journal(dir.path() + "/site-报警.csv");
    AlarmEngine engine(HighAt30(), &journal);
    ChangeLog log;
    engine.AddObserver(&log);
    std::atomic<bool> done{false};
    std::thread acknowledger([&] {
        while (!done) engine.AcknowledgeAll("tester");
    });
    auto time = Start();
    for (int i = 0; i < 600; ++i) {
        time += std::chrono::seconds(1);
        SiteReading reading = ReadingWith(kProbe1, i % 3 == 0 ? 20 : 31, time);
        reading.reading.words[kProbe1 + 1] = Word(i % 4 == 0 ? 31 : 20);
        engine.OnSiteReading(reading);
    }
    done = true;
    acknowledger.join();

    std::vector<AlarmEvent> records;
    std::string error;
    ASSERT_TRUE(journal.Load(records, error)) << error;
    const JournalReplay replay = ReplayJournal(records);
    ASSERT_EQ(records.size(), log.events.size());
    for (std::size_t i = 0; i < records.size(); ++i) {
        ASSERT_EQ(records[i].id, log.events[i].id) << "change " << i;
        ASSERT_EQ(records[i].state, log.events[i].state) << "change " << i;
    }
    const auto open = replay.Open();
    const auto active = engine.Active();
    ASSERT_EQ(open.size(), active.size());
    for (std::size_t i = 0; i < open.size(); ++i) {
        EXPECT_EQ(open[i].id, active[i].id);
        EXPECT_EQ(open[i].state, active[i].state);
    }
}

// A child keeps raising and clearing alarms and reports each change on a pipe after the
// observers hear of it; killed at a random moment, every change it reported is in the journal.
TEST(AlarmJournal, KilledProcessLosesNothingItReported) {
    TempDir dir;
    const std::string path = dir.path() + "/site-报警.csv";
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(fds[0]);
        AlarmJournal journal(path);
        AlarmEngine engine(HighAt30(), &journal);
        struct Reporter : AlarmObserver {
            int fd = -1;
            void OnAlarmChange(const AlarmEvent& event) override {
                char line[64];
                const int n = std::snprintf(line, sizeof line, "%llu %d\n",
                                            static_cast<unsigned long long>(event.id),
                                            static_cast<int>(event.state));
                if (write(fd, line, static_cast<std::size_t>(n)) != n) _exit(3);
            }
        } reporter;
        reporter.fd = fds[1];
        engine.AddObserver(&reporter);
        auto time = Start();
        for (long i = 0;; ++i) {
            time += std::chrono::seconds(1);
            SiteReading reading = ReadingWith(kProbe1, i % 2 == 0 ? 31 : 20, time);
            engine.OnSiteReading(reading);
            if (i % 3 == 0) engine.AcknowledgeAll("tester");
        }
    }
    close(fds[1]);
    std::set<std::pair<unsigned long long, int>> reported;
    std::string buffer;
    char chunk[4096];
    while (reported.size() < 300) {
        const ssize_t got = read(fds[0], chunk, sizeof chunk);
        ASSERT_GT(got, 0);
        buffer.append(chunk, static_cast<std::size_t>(got));
        std::size_t end = 0;
        while ((end = buffer.find('\n')) != std::string::npos) {
            unsigned long long id = 0;
            int state = 0;
            ASSERT_EQ(std::sscanf(buffer.substr(0, end).c_str(), "%llu %d", &id, &state), 2);
            reported.insert({id, state});
            buffer.erase(0, end + 1);
        }
    }
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    close(fds[0]);
    ASSERT_TRUE(WIFSIGNALED(status));

    AlarmJournal journal(path);
    std::vector<AlarmEvent> records;
    std::string error;
    ASSERT_TRUE(journal.Load(records, error)) << error;
    std::set<std::pair<unsigned long long, int>> journaled;
    ReplayJournal(records);
    for (const AlarmEvent& record : records) {
        journaled.insert({record.id, static_cast<int>(record.state)});
    }
    for (const auto& change : reported) {
        EXPECT_TRUE(journaled.count(change)) << "alarm " << change.first << " state " << change.second;
    }
}

}  // namespace
