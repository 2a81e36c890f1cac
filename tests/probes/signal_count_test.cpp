// Button 1004: the frame sent and the message for what the module reports.
#include "link/commands.h"
#include "tests/probes/probe_window_test.h"

namespace {

using SignalCountTest = ProbeWindowTest;
using Texts = std::vector<std::string>;

TEST_F(SignalCountTest, ReportsTheCountTheModuleConfirmsOrKept) {
    ASSERT_TRUE(Replace(IDC_SIGNAL_COUNT, "8"));
    EXPECT_EQ(Press(IDC_SET_SIGNAL_COUNT), Texts{"设置的信号数为8成功!"});
    EXPECT_EQ(LastFrame(), "14 3F 00 00 01 00 01 08 FF B6");
    EXPECT_EQ(sim->SignalCount(), 8);

    // The module refuses more than its 64 channels and reports the count it kept.
    ASSERT_TRUE(Replace(IDC_SIGNAL_COUNT, "65"));
    EXPECT_EQ(Press(IDC_SET_SIGNAL_COUNT), Texts{"设置的信号数为8失败!"});
}

TEST_F(SignalCountTest, CountBeyondOneByteIsNotSentAsItsLowByte) {
    ASSERT_TRUE(Replace(IDC_SIGNAL_COUNT, "300"));
    EXPECT_EQ(Press(IDC_SET_SIGNAL_COUNT), Texts{"设置的信号数为300失败!"});
    ASSERT_TRUE(Replace(IDC_SIGNAL_COUNT, "-1"));
    EXPECT_EQ(Press(IDC_SET_SIGNAL_COUNT), Texts{"设置的信号数为-1失败!"});
    EXPECT_EQ(sim->RequestsSeen(CMD_SET_SIGNAL_COUNT), 0);
    EXPECT_EQ(sim->SignalCount(), 20) << "44 would have been set";
}

TEST_F(SignalCountTest, PortAndReplyFailures) {
    sim->InjectFault({FaultKind::ShortReply, 1, CMD_SET_SIGNAL_COUNT, 8});
    EXPECT_EQ(Press(IDC_SET_SIGNAL_COUNT), Texts{"读数据错误!"});
    ASSERT_TRUE(Replace(IDC_PORT, "9"));
    EXPECT_EQ(Press(IDC_SET_SIGNAL_COUNT), Texts{"打开串口错误!"});
}

}  // namespace
