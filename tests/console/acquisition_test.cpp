// Single and continuous readings end to end: the real window, a simulated module on a
// pseudo-terminal, the worker thread and the fault log.
#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>

#include "link/commands.h"
#include "link/fault_log.h"
#include "link/text_codec.h"
#include "tests/console/module_fixture.h"

namespace {

using namespace std::chrono_literals;

std::string ReadFaultLog(const std::string& dir) {
    std::ifstream in(dir + "/" + kFaultLogName, std::ios::binary);
    return GbkToUtf8(std::string(std::istreambuf_iterator<char>(in), {}));
}

class AcquisitionTest : public ModuleWindowTest {
protected:
    void SetUp() override {
        probeCount = 30;
        ModuleWindowTest::SetUp();
        std::vector<int> probes;
        for (int i = 1; i <= 30; ++i) probes.push_back(i % 2 ? 200 + i : -i);
        sim->SetTemperatures({215, -12, 0, 1000}, probes);
        sim->FreezeTemperatures(true);
    }
    bool Running() { return Text(IDC_CONTINUOUS_ACQUISITION) == "取消采集"; }
    bool StartContinuous() {
        return Replace(IDC_PERIOD, "600") && Click(IDC_CONTINUOUS_ACQUISITION) && Running();
    }
};

TEST_F(AcquisitionTest, SingleReadingFillsTheListsAndLeavesTheCounters) {
    ASSERT_TRUE(Click(IDC_SINGLE_ACQUISITION));
    EXPECT_EQ(boxes.Count(), 0u) << (boxes.Count() ? boxes.Last().text : "");
    EXPECT_EQ(Cell(IDC_LIST_RIGHT, 0), "21.5");
    EXPECT_EQ(Cell(IDC_LIST_RIGHT, 1), "-1.2");
    EXPECT_EQ(Cell(IDC_LIST_RIGHT, 3), "100.0");
    EXPECT_EQ(Cell(IDC_LIST_LEFT, 0), "20.1");
    EXPECT_EQ(Cell(IDC_LIST_LEFT, 1), "-0.2");
    EXPECT_EQ(Cell(IDC_LIST_MIDDLE, 3), "-3.0");  // probe 30
    EXPECT_EQ(Cell(IDC_LIST_MIDDLE, 4), " ");
    EXPECT_EQ(Text(IDC_OK_COUNT), "");
    EXPECT_EQ(sim->RequestsSeen(CMD_READ_TEMPERATURES), 1);
}

TEST_F(AcquisitionTest, SingleReadingReportsABadReplyAndAMissingPort) {
    sim->InjectFault({FaultKind::BadChecksum, 1, CMD_READ_TEMPERATURES, -1});
    ASSERT_TRUE(Click(IDC_SINGLE_ACQUISITION));
    EXPECT_EQ(boxes.Last().text, "返回数据错误!");
    EXPECT_EQ(Cell(IDC_LIST_RIGHT, 0), "") << "lists unchanged";

    ASSERT_TRUE(Replace(IDC_PORT, "9"));
    ASSERT_TRUE(Click(IDC_SINGLE_ACQUISITION));
    EXPECT_EQ(boxes.Last().text, "打开串口错误!");
    EXPECT_EQ(boxes.Count(), 2u);
    EXPECT_FALSE(std::ifstream(start.Path() + "/" + kFaultLogName).good())
        << "single readings never write the fault log";
}

TEST_F(AcquisitionTest, PollOnceMessageReadsQuietlyAndClearsTheSlotOnlyWhenThePortFails) {
    void* slot = &slot;
    dlg.SendMessage(WM_POLL_ONCE, 0, reinterpret_cast<LPARAM>(&slot));
    EXPECT_EQ(slot, &slot) << "left alone when the port opened";
    EXPECT_EQ(Cell(IDC_LIST_RIGHT, 0), "21.5");

    sim->InjectFault({FaultKind::BadChecksum, 1, CMD_READ_TEMPERATURES, -1});
    dlg.SendMessage(WM_POLL_ONCE, 0, reinterpret_cast<LPARAM>(&slot));
    ASSERT_TRUE(Replace(IDC_PORT, "9"));
    dlg.SendMessage(WM_POLL_ONCE, 0, reinterpret_cast<LPARAM>(&slot));
    EXPECT_EQ(slot, nullptr);
    dlg.SendMessage(WM_POLL_ONCE, 0, 0);  // no slot at all: nothing to write
    EXPECT_EQ(boxes.Count(), 0u) << "this reading shows no messages";
    EXPECT_EQ(Text(IDC_OK_COUNT), "");
}

TEST_F(AcquisitionTest, EveryReadingLeavesTheWindowOnceWithItsOutcome) {
    std::vector<Reading> seen;
    const auto token = dlg.m_readings.Subscribe([&](const Reading& r) { seen.push_back(r); });

    ASSERT_TRUE(Click(IDC_SINGLE_ACQUISITION));
    sim->InjectFault({FaultKind::BadChecksum, 1, CMD_READ_TEMPERATURES, -1});
    ASSERT_TRUE(Click(IDC_SINGLE_ACQUISITION));
    ASSERT_TRUE(Replace(IDC_PORT, "9"));
    ASSERT_TRUE(Click(IDC_SINGLE_ACQUISITION));
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_TRUE(seen[0].Ok());
    EXPECT_EQ(seen[0].ProbeCount(), 30);
    EXPECT_EQ(ChannelText(seen[0], 0), "21.5");
    EXPECT_EQ(ChannelText(seen[0], 5), "-0.2");  // probe 2
    EXPECT_EQ(seen[1].fault, BlockFault::BadChecksum);
    EXPECT_EQ(seen[2].fault, BlockFault::PortNotOpen);

    // Continuous readings carry the end of their exchange, a period before they are reported.
    ASSERT_TRUE(Replace(IDC_PORT, "1"));
    sim->InjectFault({FaultKind::Silence, 1, CMD_READ_TEMPERATURES, -1});
    const auto started = std::chrono::system_clock::now();
    ASSERT_TRUE(StartContinuous());
    ASSERT_TRUE(uitest::WaitUntil([&] { return Text(IDC_OK_COUNT) == "1"; }, 10s));
    ASSERT_EQ(seen.size(), 5u);
    EXPECT_EQ(seen[3].fault, BlockFault::ShortHeader);
    EXPECT_TRUE(seen[4].Ok());
    EXPECT_GE(seen[3].time, started);
    EXPECT_LE(seen[4].time, std::chrono::system_clock::now() - 500ms);
    dlg.m_readings.Unsubscribe(token);
}

TEST_F(AcquisitionTest, PeriodBelowTheMinimumIsCorrectedAndNeitherStartsNorStops) {
    ASSERT_TRUE(Replace(IDC_PERIOD, "599"));
    ASSERT_TRUE(Click(IDC_CONTINUOUS_ACQUISITION));
    EXPECT_EQ(boxes.Last().text, "最小采集周期600ms");
    EXPECT_EQ(Text(IDC_PERIOD), "600");
    EXPECT_FALSE(Running());
    EXPECT_EQ(g_acquiring, 0);

    ASSERT_TRUE(Click(IDC_CONTINUOUS_ACQUISITION)) << "the next click starts";
    ASSERT_TRUE(Running());
    // The worker reads the window's settings once it runs; an edit half typed then (a busy
    // machine starts the thread late) would be a field's complaint, not what is tested here.
    ASSERT_TRUE(uitest::WaitUntil([&] { return sim->RequestsSeen(CMD_READ_TEMPERATURES) > 0; }));
    ASSERT_TRUE(Replace(IDC_PERIOD, "100"));
    ASSERT_TRUE(Click(IDC_CONTINUOUS_ACQUISITION));
    const std::string corrected = "最小采集周期600ms";
    EXPECT_EQ(boxes.Texts(), (std::vector<std::string>{corrected, corrected}));
    EXPECT_EQ(Text(IDC_PERIOD), "600");
    EXPECT_TRUE(Running()) << "a click with a short period only corrects it";
    EXPECT_EQ(g_acquiring, 1);
}

TEST_F(AcquisitionTest, CountsGoodAndFailedReadingsAndLogsEachFailure) {
    sim->InjectFault({FaultKind::BadChecksum, 2, CMD_READ_TEMPERATURES, -1});
    ASSERT_TRUE(StartContinuous());
    ASSERT_TRUE(uitest::WaitUntil([&] { return Text(IDC_OK_COUNT) == "2"; }, 10s));
    EXPECT_EQ(Text(IDC_FAIL_COUNT), "2");
    EXPECT_EQ(Cell(IDC_LIST_LEFT, 0), "20.1") << "good readings reach the lists";
    const std::string log = ReadFaultLog(start.Path());
    EXPECT_EQ(Occurrences(log, "校验错误， 字节数:77 数据:"), 2) << log;
    EXPECT_EQ(Occurrences(log, "\r\n"), 2) << "one record per failure, each opening a line";

    ASSERT_TRUE(Click(IDC_CONTINUOUS_ACQUISITION));
    EXPECT_FALSE(Running());
    EXPECT_EQ(Text(IDC_OK_COUNT), "");
    EXPECT_EQ(Text(IDC_FAIL_COUNT), "");
    EXPECT_EQ(boxes.Count(), 0u) << boxes.Last().text;
}

// The counter a report shows: its run's count of good or of failed readings. Waits on the
// reports themselves, good or failed, so that a busy machine (a reply late, the stop landing
// before the worker looks at the flag again) changes what is reported, never the verdict.
TEST_F(AcquisitionTest, AReportAfterTheStopShowsItsCounterAgainAndANewRunCountsFromOne) {
    std::vector<bool> good;
    const ReadingFeed::Token token =
        dlg.m_readings.Subscribe([&](const Reading& r) { good.push_back(r.fault == BlockFault::None); });
    ASSERT_TRUE(StartContinuous());
    ASSERT_TRUE(uitest::WaitUntil([&] { return !good.empty(); }, 10s));
    ASSERT_TRUE(Click(IDC_CONTINUOUS_ACQUISITION));
    EXPECT_EQ(Text(IDC_OK_COUNT), "");
    EXPECT_EQ(Text(IDC_FAIL_COUNT), "");
    const std::size_t atStop = good.size();
    // The worker is normally on its next reading already: it reports once more, then ends.
    ASSERT_TRUE(uitest::WaitUntil([] { return g_acquisitionWorkers == 0; }, 10s));
    EXPECT_FALSE(Running());
    ASSERT_LE(good.size(), atStop + 1);
    if (good.size() == atStop + 1) {
        const auto runCount = [&](bool kind) {
            return std::to_string(std::count(good.begin(), good.end(), kind));
        };
        const bool late = good.back();
        EXPECT_EQ(Text(late ? IDC_OK_COUNT : IDC_FAIL_COUNT), runCount(late));
        EXPECT_EQ(Text(late ? IDC_FAIL_COUNT : IDC_OK_COUNT), "") << "cleared by the stop";
    }
    ASSERT_TRUE(WaitForPortFree());

    const std::size_t before = good.size();
    ASSERT_TRUE(Click(IDC_CONTINUOUS_ACQUISITION));
    ASSERT_TRUE(uitest::WaitUntil([&] { return good.size() > before; }, 10s));
    // Counted from one again (a slow check may already see a later report of the new run).
    const bool lastGood = good.back();
    const auto inNewRun = std::count(good.begin() + static_cast<long>(before), good.end(), lastGood);
    EXPECT_EQ(Text(lastGood ? IDC_OK_COUNT : IDC_FAIL_COUNT), std::to_string(inNewRun));
    dlg.m_readings.Unsubscribe(token);
}

TEST_F(AcquisitionTest, WhileTheWorkerHoldsThePortReadingsAndCommandsCannotOpenIt) {
    if (uitest::UnderWine()) {
        GTEST_SKIP() << "Wine lets a second open of a serial port through; Windows refuses it";
    }
    ASSERT_TRUE(StartContinuous());
    ASSERT_TRUE(uitest::WaitUntil([&] { return sim->RequestsSeen(CMD_READ_TEMPERATURES) > 0; }));
    ASSERT_TRUE(Click(IDC_SINGLE_ACQUISITION));
    EXPECT_EQ(boxes.Last().text, "打开串口错误!");

    const std::uint8_t entry = 5;
    int status = 99;
    EXPECT_EQ(dlg.SendCommand(dlg.m_address, &entry, 1, CMD_READ_SN, status), nullptr);
    EXPECT_EQ(status, -1);
    EXPECT_EQ(sim->RequestsSeen(CMD_READ_SN), 0) << "nothing was sent";
}

TEST_F(AcquisitionTest, WorkerWithoutAPortSaysSoAndTheNextClickReturnsToIdle) {
    ASSERT_TRUE(Replace(IDC_PORT, "9"));
    ASSERT_TRUE(StartContinuous());
    ASSERT_TRUE(uitest::WaitUntil([&] { return boxes.Count() == 1; }, 5s));
    EXPECT_EQ(boxes.Last().text, "打开串口失败!");
    EXPECT_FALSE(boxes.Last().hasOwner);
    EXPECT_TRUE(Running()) << "the window stays in its running state";
    ASSERT_TRUE(Click(IDC_CONTINUOUS_ACQUISITION));
    EXPECT_FALSE(Running());
    EXPECT_EQ(g_acquiring, 0);
}

TEST_F(AcquisitionTest, ClosingMidRunReturnsAtOnceAndTheLateReportIsDropped) {
    sim->InjectFault({FaultKind::Silence, kEveryReply, CMD_READ_TEMPERATURES, -1});
    ASSERT_TRUE(StartContinuous());
    // Once the module has let the request go unanswered, the worker waits on a silent line.
    ASSERT_TRUE(uitest::WaitUntil([&] { return sim->FramesHandled() > 0; }));
    dlg.DestroyWindow();
    uitest::FlushDeferredDeletes();
    EXPECT_FALSE(dlg.IsCreated());
    EXPECT_EQ(g_acquiring, 0);
    EXPECT_EQ(dlg.m_continuousOn, 0);
    ASSERT_TRUE(WaitForPortFree()) << "the worker ends after its current reading";
    EXPECT_EQ(dlg.m_failCountText, "") << "its report did not reach the closed window";
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(AcquisitionTest, TheStaleTailOfAnAbandonedReplyDoesNotSpoilTheNextReading) {
    // A reply split by a gap longer than the worker waits fails its reading; its tail arrives
    // while the worker pauses, and must not be taken for the start of the next reply.
    // With a 1 s period the tail (4 s after the first half) lands in the pause after the
    // failed reading (given up after 3000 + 300 + 5 x 62 ms).
    sim->InjectFault({FaultKind::Split, 1, CMD_READ_TEMPERATURES, 4000});
    ASSERT_TRUE(Click(IDC_CONTINUOUS_ACQUISITION) && Running());
    ASSERT_TRUE(uitest::WaitUntil([&] { return Text(IDC_OK_COUNT) == "2"; }, 15s));
    EXPECT_EQ(Text(IDC_FAIL_COUNT), "1") << "one fault, one failure: no chain of them";
}

}  // namespace
