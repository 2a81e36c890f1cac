// Recording from the menu: every reading of the window becomes a record of the readings CSV,
// a failed write ends the recording alone, and the window's end closes the file.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>

#include "console/poll_report.h"
#include "link/commands.h"
#include "record/readings_csv.h"
#include "tests/console/module_fixture.h"
#include "tests/console/write_fault.h"
#if UITEST_BACKEND_QT
#include <QAccessible>
#include <QMenuBar>
#include <QWidget>
#endif

namespace {

using namespace std::chrono_literals;
using Record = std::vector<std::string>;

// The records after the mark and the header, each split into its fields.
std::vector<Record> ReadRecords(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), {}};
    const std::string head = std::string(kCsvByteOrderMark) + CsvHeaderRecord();
    EXPECT_EQ(text.substr(0, head.size()), head);
    std::vector<Record> records;
    for (std::size_t at = head.size(); at < text.size();) {
        const std::size_t end = text.find("\r\n", at);
        EXPECT_NE(end, std::string::npos) << "a record cut short";
        if (end == std::string::npos) break;
        Record fields;
        std::stringstream line(text.substr(at, end - at) + ",");
        for (std::string field; std::getline(line, field, ',');) fields.push_back(field);
        EXPECT_EQ(fields.size(), 70u);
        records.push_back(fields);
        at = end + 2;
    }
    return records;
}

int ProbeValues(const Record& r) {
    int n = 0;
    for (std::size_t i = 6; i < r.size(); ++i) n += r[i].empty() ? 0 : 1;
    return n;
}

class RecordingTest : public ModuleWindowTest {
protected:
    void SetUp() override {
        probeCount = 30;
        ModuleWindowTest::SetUp();
        std::vector<int> probes;
        for (int i = 1; i <= 30; ++i) probes.push_back(200 + i);
        sim->SetTemperatures({215, -12, 0, 1000}, probes);
        sim->FreezeTemperatures(true);
        path = start.Path() + "/run.csv";
    }
    void Menu(UINT id) { ASSERT_TRUE(uitest::InvokeMenuItem(dlg, id)) << id; }
    void StartRecording() {
        uitest::ScopedFileDialogHook hook([&](const FileDialogRequest& r) {
            request = r;
            return std::optional<std::string>(path);
        });
        Menu(ID_RECORD_START);
    }
    std::string Status() { return dlg.m_menuBar.StatusText(); }
    bool WaitForRecords(long long n) {
        return uitest::WaitUntil([&] { return dlg.m_recorder.Records() >= n; }, 10s);
    }
    bool StartContinuous() {
        return Replace(IDC_PERIOD, "600") && Click(IDC_CONTINUOUS_ACQUISITION);
    }

    std::string path;
    FileDialogRequest request;
};

TEST_F(RecordingTest, EveryReadingBecomesARecordGoodOrFailedSingleOrContinuous) {
    StartRecording();
    EXPECT_FALSE(request.open);
    // Offered in the start directory, named by the time.
    const std::filesystem::path offered(request.fileName);
    EXPECT_EQ(offered.parent_path(), std::filesystem::path(start.Path())) << request.fileName;
    EXPECT_TRUE(std::regex_match(offered.filename().string(),
                                 std::regex("K7R2_[0-9]{8}_[0-9]{6}\\.csv")))
        << request.fileName;
    ASSERT_TRUE(dlg.m_recorder.IsRecording());
    EXPECT_EQ(Status(), "记录中: run.csv (0 行)");
    EXPECT_EQ(uitest::MenuBarStatusText(dlg), "记录中: run.csv (0 行)") << "shown on the bar";
    EXPECT_FALSE(uitest::IsMenuItemShownEnabled(dlg, ID_RECORD_START));
    EXPECT_TRUE(uitest::IsMenuItemShownEnabled(dlg, ID_RECORD_STOP));

    ASSERT_TRUE(Click(IDC_SINGLE_ACQUISITION));
    EXPECT_EQ(Status(), "记录中: run.csv (1 行)");
    EXPECT_EQ(uitest::MenuBarStatusText(dlg), Status());
    sim->InjectFault({FaultKind::BadChecksum, 1, CMD_READ_TEMPERATURES, -1});
    ASSERT_TRUE(Click(IDC_SINGLE_ACQUISITION));
    ASSERT_TRUE(Replace(IDC_PORT, "9"));
    ASSERT_TRUE(Click(IDC_SINGLE_ACQUISITION));
    // A report whose block carries a negative zero and two probes.
    PollReport report;
    const std::uint16_t words[] = {0x8000, 0x00EB, 0x80EB, 0x7FFF, 0x8000, 0x0001};
    report.block[5] = 0;
    report.block[6] = sizeof words;
    for (std::size_t i = 0; i < std::size(words); ++i) {
        report.block[7 + 2 * i] = static_cast<std::uint8_t>(words[i] >> 8);
        report.block[8 + 2 * i] = static_cast<std::uint8_t>(words[i]);
    }
    report.end = std::chrono::system_clock::now();
    dlg.SendMessage(WM_POLL_RESULT, 1, reinterpret_cast<LPARAM>(&report));
    ASSERT_EQ(dlg.m_recorder.Records(), 4);
    ASSERT_TRUE(Replace(IDC_PORT, "1"));

    // Continuous acquisition, the module's probe count dropping mid-run.
    ASSERT_TRUE(StartContinuous());
    ASSERT_TRUE(WaitForRecords(6));
    sim->SetProbeCount(5);
    const long long before = dlg.m_recorder.Records();
    ASSERT_TRUE(WaitForRecords(before + 2));
    ASSERT_TRUE(Click(IDC_CONTINUOUS_ACQUISITION));
    EXPECT_TRUE(dlg.m_recorder.IsRecording()) << "stopping acquisition leaves the recording";
    // The worker's last reading lands first (Wine lets a second open of the port through, so
    // the free port alone does not say it has).
    ASSERT_TRUE(uitest::WaitUntil([] { return g_acquisitionWorkers == 0; }, 8s));
    ASSERT_TRUE(WaitForPortFree());
    ASSERT_TRUE(Click(IDC_SINGLE_ACQUISITION));
    const long long recorded = dlg.m_recorder.Records();
    Menu(ID_RECORD_STOP);
    EXPECT_EQ(Status(), "");
    EXPECT_EQ(uitest::MenuBarStatusText(dlg), "");
    EXPECT_TRUE(uitest::IsMenuItemShownEnabled(dlg, ID_RECORD_START));
    ASSERT_TRUE(Click(IDC_SINGLE_ACQUISITION));  // after the stop: not recorded

    const std::vector<Record> records = ReadRecords(path);
    ASSERT_EQ(static_cast<long long>(records.size()), recorded);
    EXPECT_EQ(records[0][1], "成功");
    EXPECT_EQ(Record(records[0].begin() + 2, records[0].begin() + 7),
              (Record{"21.5", "-1.2", "0.0", "100.0", "20.1"}));
    EXPECT_EQ(records[0][35], "23.0");  // probe 30
    EXPECT_EQ(ProbeValues(records[0]), 30);
    EXPECT_EQ(records[1][1], "校验错误");
    EXPECT_EQ(records[2][1], "打开串口失败");
    for (int r : {1, 2}) EXPECT_EQ(ProbeValues(records[r]) + records[r][2].size(), 0u) << r;
    EXPECT_EQ(Record(records[3].begin() + 2, records[3].begin() + 9),
              (Record{"-0.0", "23.5", "-23.5", "3276.7", "-0.0", "0.1", ""}));
    EXPECT_EQ(ProbeValues(records.back()), 5) << "fewer probes: empty fields, still 70 of them";
    EXPECT_EQ(ProbeValues(records[4]), 30);
    std::string previous;
    for (const Record& r : records) {
        EXPECT_TRUE(std::regex_match(
            r[0], std::regex("[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9:]{8}\\.[0-9]{3}[+-][0-9]{2}:[0-9]{2}")));
        EXPECT_GE(r[0], previous) << "in the order they were made";
        previous = r[0];
    }
    // The trend's store was fed by the same readings, the failed ones leaving no sample.
    EXPECT_EQ(dlg.m_trendStore.Size(), records.size() - 2 + 1);
}

TEST_F(RecordingTest, AFailedWriteEndsTheRecordingWithOneMessageAndAcquisitionGoesOn) {
    if (uitest::UnderWine()) {
        GTEST_SKIP() << "Wine does not enforce byte-range locks on writes, so no write fails";
    }
    StartRecording();
    ASSERT_TRUE(StartContinuous());
    ASSERT_TRUE(WaitForRecords(1));
    const WriteFault fault(path);
    ASSERT_TRUE(fault.Armed());
    ASSERT_TRUE(uitest::WaitUntil([&] { return boxes.Count() == 1; }, 10s));
    EXPECT_EQ(boxes.Last().text, "记录文件写入失败!");
    EXPECT_FALSE(dlg.m_recorder.IsRecording());
    EXPECT_EQ(uitest::MenuBarStatusText(dlg), "");
    EXPECT_TRUE(uitest::IsMenuItemShownEnabled(dlg, ID_RECORD_START));
    const std::string good = Text(IDC_OK_COUNT);
    ASSERT_TRUE(uitest::WaitUntil([&] { return Text(IDC_OK_COUNT) != good; }, 10s))
        << "acquisition goes on";
    EXPECT_EQ(Text(IDC_CONTINUOUS_ACQUISITION), "取消采集");
    EXPECT_EQ(boxes.Count(), 1u) << "once";
}

TEST_F(RecordingTest, ClosingTheWindowClosesTheFileWithItsRecordsAndAnUnwritableNameIsRefused) {
    path = start.Path() + "/no/such/folder.csv";
    StartRecording();
    EXPECT_EQ(boxes.Last().text, "记录文件创建失败!");
    EXPECT_FALSE(dlg.m_recorder.IsRecording());

    path = start.Path() + "/run.csv";
    StartRecording();
    ASSERT_TRUE(Click(IDC_SINGLE_ACQUISITION));
    dlg.DestroyWindow();
    EXPECT_FALSE(dlg.m_recorder.IsRecording());
    EXPECT_EQ(ReadRecords(path).size(), 1u);
}

#if UITEST_BACKEND_QT
// What a screen reader finds of the recording: the indicator is in the window's accessible tree,
// named by what it shows, across the start, the rows and the stop; it sits on the bar's right end
// and leaves the menus clear.
QAccessibleInterface* FindByNamePrefix(QAccessibleInterface* face, const QString& prefix) {
    if (face == nullptr) return nullptr;
    if (face->text(QAccessible::Name).startsWith(prefix)) return face;
    for (int i = 0; i < face->childCount(); ++i) {
        if (QAccessibleInterface* found = FindByNamePrefix(face->child(i), prefix)) return found;
    }
    return nullptr;
}

#endif

TEST_F(RecordingTest, TheIndicatorIsAnnouncedFromTheWindowAcrossStartRowsAndStop) {
#if UITEST_BACKEND_QT
    QWidget* window = uitest::Window(dlg);
    QAccessibleInterface* root = QAccessible::queryAccessibleInterface(window);
    EXPECT_EQ(FindByNamePrefix(root, "记录中"), nullptr);
    StartRecording();
    QAccessibleInterface* indicator = FindByNamePrefix(root, "记录中");
    ASSERT_NE(indicator, nullptr) << "the window's tree holds the indicator";
    EXPECT_EQ(indicator->text(QAccessible::Name).toStdString(), "记录中: run.csv (0 行)");
    EXPECT_FALSE(indicator->state().invisible);
    EXPECT_EQ(indicator->parent()->object(), window);

    ASSERT_TRUE(Click(IDC_SINGLE_ACQUISITION));
    EXPECT_EQ(indicator->text(QAccessible::Name).toStdString(), "记录中: run.csv (1 行)");
    ASSERT_TRUE(Click(IDC_SINGLE_ACQUISITION));
    EXPECT_EQ(indicator->text(QAccessible::Name).toStdString(), "记录中: run.csv (2 行)");

    // Seen where the bar ends, clear of the last menu.
    auto* bar = window->findChild<QMenuBar*>("ctl_menubar");
    ASSERT_NE(bar, nullptr);
    const QRect shown = indicator->rect();
    const QRect barRect(bar->mapToGlobal(QPoint(0, 0)), bar->size());
    EXPECT_EQ(shown.right(), barRect.right());
    EXPECT_TRUE(barRect.contains(shown));
    const QRect lastMenu = bar->actionGeometry(bar->actions().back());
    EXPECT_LT(bar->mapToGlobal(lastMenu.topRight()).x(), shown.left());

    Menu(ID_RECORD_STOP);
    EXPECT_EQ(FindByNamePrefix(root, "记录中"), nullptr) << "nothing said to be recording";
#else
    GTEST_SKIP() << "Qt's accessible tree; Wine's MSAA of a native menu bar is generic";
#endif
}

}  // namespace
