// Button 1014: the SN line on screen and on the clipboard, and the index walking the table.
#include "link/commands.h"
#include "probes/sn_text.h"
#include "tests/probes/probe_window_test.h"
#include "ui/clipboard.h"

namespace {

using ReadSnTest = ProbeWindowTest;
using Texts = std::vector<std::string>;

const char kClipboardNote[] = "\n数字已送到剪贴板,按Ctrl+V粘贴ID号";

TEST_F(ReadSnTest, LineGoesToTheClipboardAndTheBoxAndTheIndexStaysAtZero) {
    sim->SetSocketProbe(kTestSn);  // table entry 0
    ASSERT_TRUE(Replace(IDC_SN_INDEX, "0"));
    EXPECT_EQ(Press(IDC_READ_SN),
              Texts{std::string("SN号为:00:28-FF-4A-00-01-02-03-C9") + kClipboardNote});
    EXPECT_EQ(GetClipboardText(), "00:28-FF-4A-00-01-02-03-C9");
    EXPECT_EQ(LastFrame(), "14 3F 00 00 03 00 01 00 FF BC");
    EXPECT_EQ(Text(IDC_SN_INDEX), "0");
}

TEST_F(ReadSnTest, IndexAdvancesAndWrapsToTheFirstChannel) {
    const std::pair<const char*, const char*> steps[] = {
        {"5", "6"}, {"62", "63"}, {"63", "1"}, {"64", "1"}};
    for (const auto& [typed, next] : steps) {
        ASSERT_TRUE(Replace(IDC_SN_INDEX, typed));
        const int index = std::stoi(typed);
        const std::string line = SnLine(index, sim->SnEntry(index));
        EXPECT_EQ(Press(IDC_READ_SN), Texts{"SN号为:" + line + kClipboardNote}) << typed;
        EXPECT_EQ(GetClipboardText(), line);
        EXPECT_EQ(Text(IDC_SN_INDEX), next) << typed;
    }
    EXPECT_EQ(Frames().front(), "14 3F 00 00 03 00 01 05 FF B7");
}

TEST_F(ReadSnTest, FailuresKeepTheIndexAndTheClipboard) {
    SetClipboardText("kept");
    ASSERT_TRUE(Replace(IDC_SN_INDEX, "5"));
    // A reply cut after byte 11 would put zeros for the missing SN bytes on the clipboard.
    sim->InjectFault({FaultKind::ShortReply, 1, CMD_READ_SN, 12});
    EXPECT_EQ(Press(IDC_READ_SN), Texts{"读数据错误!"});
    ASSERT_TRUE(Replace(IDC_PORT, "9"));
    EXPECT_EQ(Press(IDC_READ_SN), Texts{"打开串口错误!"});
    EXPECT_EQ(Text(IDC_SN_INDEX), "5");
    EXPECT_EQ(GetClipboardText(), "kept");
}

TEST_F(ReadSnTest, IndexOutsideTheTableIsNotSent) {
    SetClipboardText("kept");
    ASSERT_TRUE(Replace(IDC_SN_INDEX, "300"));  // its low byte, 44, is a real entry
    EXPECT_EQ(Press(IDC_READ_SN), Texts{"请输入一个介于 0 和 64 之间的整数。"});
    EXPECT_EQ(sim->RequestsSeen(CMD_READ_SN), 0);
    EXPECT_EQ(GetClipboardText(), "kept");
}

}  // namespace
