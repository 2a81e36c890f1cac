// Opening the PT100 dialog from the main window, its frame log hook, and how it ends.
#include <cstdlib>

#include "link/commands.h"
#include "tests/pt100/pt100_fixture.h"

namespace {

using namespace std::chrono_literals;

TEST_F(Pt100DialogTest, OpensOnChannelOneWithEmptyFieldsAndTheLogHooked) {
    const bool opened = WithDialog([&](CPt100Dlg& d) {
        EXPECT_EQ(d.GetWindowText(), "PT100参数设置");
        EXPECT_EQ(g_traceList, &d.m_listLog);
        EXPECT_EQ(uitest::ComboItems(d, IDC_PT100_CHANNEL),
                  (std::vector<std::string>{"1", "2", "3", "4"}));
        EXPECT_EQ(d.m_comboChannel.GetCurSel(), 0);
        EXPECT_EQ(Field(d, IDC_PT100_CHANNEL), "1");
        for (int id : {IDC_PT100_ZERO_AD, IDC_PT100_OFFSET, IDC_PT100_RES1_AD, IDC_PT100_RES2_AD,
                       IDC_PT100_TEMP1, IDC_PT100_TEMP2, IDC_PT100_TEMP3, IDC_PT100_TEMP4}) {
            EXPECT_EQ(Field(d, id), "") << id;
        }
        EXPECT_EQ(d.m_spinOffset.GetPos(), 50);
        int lower = -1, upper = -1;
        d.m_spinOffset.GetRange32(lower, upper);
        EXPECT_EQ(lower, 0);
        EXPECT_EQ(upper, 100);
        EXPECT_TRUE(Log(d).empty());
    });
    ASSERT_TRUE(opened);
    EXPECT_EQ(g_traceList, nullptr) << "the hook goes with the dialog";
}

TEST_F(Pt100DialogTest, ItsCommandsAreLoggedOnlyWhileItIsOpen) {
    ASSERT_TRUE(WithDialog([&](CPt100Dlg& d) {
        ASSERT_TRUE(uitest::Click(d, IDC_PT100_READ_TEMPS));
        const auto lines = Log(d);
        ASSERT_EQ(lines.size(), 2u);
        EXPECT_EQ(lines[0], "\n写 14 3f 00 01 07 00 00 ff b8 ");
        EXPECT_EQ(lines[1].rfind("\n读 14 3f 00 01 07 00 08 ", 0), 0u) << lines[1];
    }));
    // The main window's own transactions after closing reach no list.
    int status = 0;
    const std::uint8_t entry = 1;
    EXPECT_NE(dlg.SendCommand(dlg.m_address, &entry, 1, CMD_READ_SN, status), nullptr);
    EXPECT_EQ(g_traceList, nullptr);
    // Nothing carries over to the next opening.
    ASSERT_TRUE(WithDialog([&](CPt100Dlg& d) {
        EXPECT_TRUE(Log(d).empty());
        EXPECT_EQ(Field(d, IDC_PT100_TEMP1), "");
    }));
}

TEST_F(Pt100DialogTest, EnterInAFieldEndsTheDialogWithoutRunningAButton) {
    ASSERT_TRUE(WithDialog([&](CPt100Dlg& d) {
        ASSERT_TRUE(uitest::ReplaceText(d, IDC_PT100_OFFSET, "1.5"));
        ASSERT_TRUE(uitest::PressEnter(d, IDC_PT100_OFFSET));
        EXPECT_EQ(d.EndDialogResult(), IDOK);
    }));
    EXPECT_EQ(RequestCount(), 0) << "no button is the default button";
    EXPECT_EQ(boxes.Count(), 0u);
}

// Continuous acquisition may keep running under the dialog: its reports still reach the main
// window, and the dialog's commands find the port taken.
TEST_F(Pt100DialogTest, AcquisitionKeepsReportingWhileTheDialogFindsThePortBusy) {
    if (uitest::UnderWine()) {
        GTEST_SKIP() << "Wine lets a second open of a serial port through; Windows refuses it";
    }
    ASSERT_TRUE(Replace(IDC_PERIOD, "600"));
    ASSERT_TRUE(Click(IDC_CONTINUOUS_ACQUISITION));
    ASSERT_TRUE(WithDialog([&](CPt100Dlg& d) {
        const int seen = sim->RequestsSeen(CMD_READ_TEMPERATURES);
        EXPECT_TRUE(uitest::WaitUntil(
            [&] { return sim->RequestsSeen(CMD_READ_TEMPERATURES) >= seen + 2; }, 10s));
        EXPECT_TRUE(
            uitest::WaitUntil([&] { return std::atoi(Text(IDC_OK_COUNT).c_str()) >= 2; }, 10s))
            << "counter " << Text(IDC_OK_COUNT);
        ASSERT_TRUE(uitest::Click(d, IDC_PT100_READ_TEMPS));
        EXPECT_EQ(boxes.Last().text, "打开串口错误!");
        EXPECT_TRUE(Log(d).empty());
    }));
    ASSERT_TRUE(Click(IDC_CONTINUOUS_ACQUISITION));  // stop
    EXPECT_EQ(sim->RequestsSeen(CMD_PT100_READ_TEMPS), 0);
}

}  // namespace
