// A start directory with a Chinese name (the folder an operator starts the console in): the
// fault log and the readings CSV land in it, the log in code page 936 with CR LF, the CSV in
// UTF-8 with its byte order mark. On Windows every path must take the wide API to get there.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "link/commands.h"
#include "link/fault_log.h"
#include "link/text_codec.h"
#include "record/readings_csv.h"
#include "tests/console/module_fixture.h"

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

fs::path Utf8Path(const std::string& utf8) {
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string Bytes(const std::string& utf8Path) {
    std::ifstream in(Utf8Path(utf8Path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class ChineseStartDirectoryTest : public ModuleWindowTest {
protected:
    void SetUp() override {
        folder = start.Path() + "/温度测试 二号";
        fs::create_directories(Utf8Path(folder));
        // The window takes its start directory when it opens.
        fs::current_path(Utf8Path(folder));
        ModuleWindowTest::SetUp();
    }
    // What the folder holds, for a failure's message.
    std::string Listing() const {
        std::string names;
        for (const auto& entry : fs::directory_iterator(Utf8Path(folder))) {
            const std::u8string name = entry.path().filename().u8string();
            names += std::string(name.begin(), name.end()) + " ";
        }
        return names + "(start directory " + g_startDir + ")";
    }
    std::string folder;
};

TEST_F(ChineseStartDirectoryTest, TheFaultLogAndTheReadingsLandInItInTheirEncodings) {
    const std::string csv = folder + "/读数.csv";
    {
        uitest::ScopedFileDialogHook hook(
            [&](const FileDialogRequest&) { return std::optional<std::string>(csv); });
        ASSERT_TRUE(uitest::InvokeMenuItem(dlg, ID_RECORD_START));
    }
    ASSERT_TRUE(dlg.m_recorder.IsRecording());
    // Continuous acquisition logs its failures; one bad reply, then a good one.
    sim->InjectFault({FaultKind::BadChecksum, 1, CMD_READ_TEMPERATURES, -1});
    ASSERT_TRUE(Replace(IDC_PERIOD, "600"));
    ASSERT_TRUE(Click(IDC_CONTINUOUS_ACQUISITION));
    ASSERT_TRUE(uitest::WaitUntil([&] { return Text(IDC_OK_COUNT) == "1"; }, 10s));
    EXPECT_EQ(Text(IDC_FAIL_COUNT), "1");
    ASSERT_TRUE(Click(IDC_CONTINUOUS_ACQUISITION));
    ASSERT_TRUE(uitest::WaitUntil([&] { return dlg.m_recorder.Records() >= 2; }, 10s));
    ASSERT_TRUE(uitest::InvokeMenuItem(dlg, ID_RECORD_STOP));

    const std::string log = Bytes(folder + "/" + kFaultLogName);
    const std::string record = "校验错误， 字节数:";
    EXPECT_NE(log.find(Utf8ToGbk(record)), std::string::npos) << "code page 936 in " << Listing();
    EXPECT_EQ(log.find(record), std::string::npos) << "not UTF-8";
    EXPECT_EQ(log.substr(0, 2), "\r\n");

    const std::string text = Bytes(csv);
    const std::string head = std::string(kCsvByteOrderMark) + CsvHeaderRecord();
    EXPECT_EQ(text.substr(0, head.size()), head);
    EXPECT_GE(std::count(text.begin(), text.end(), '\n'), 3) << "the header and two records";
}

}  // namespace
