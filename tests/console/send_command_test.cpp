// One command through the main window: status, reply block, and the frame trace while a log
// list is attached.
#include "console/trace_list.h"
#include "link/commands.h"
#include "tests/console/module_fixture.h"

namespace {

using namespace std::chrono_literals;

// A window with one unsorted list box, standing in for the PT100 dialog's frame log.
class TraceLogDlg : public CDialog {
public:
    TraceLogDlg()
        : CDialog(DialogTemplate{.id = 990,
                                 .caption = "log",
                                 .cx = 200,
                                 .cy = 100,
                                 .controls = {{1008, ControlKind::ListBox, "", 0, 0, 200, 100}},
                                 .comboItems = {}}) {}
    void DoDataExchange(CDataExchange* pDX) override { DDX_Control(pDX, 1008, m_log); }
    CListBox m_log;
};

class SendCommandTest : public ModuleWindowTest {
protected:
    void SetUp() override {
        ModuleWindowTest::SetUp();
        ASSERT_TRUE(log.Create());
        g_traceList = &log.m_log;
    }
    void TearDown() override {
        g_traceList = nullptr;
        log.DestroyWindow();
        ModuleWindowTest::TearDown();
    }
    std::vector<std::string> Lines() { return uitest::ListBoxLines(log, 1008); }

    TraceLogDlg log;
    const std::uint8_t entry = 5;
};

TEST_F(SendCommandTest, ReplyComesBackWithItsLengthAndBothFramesAreTraced) {
    int status = 0;
    const auto reply = dlg.SendCommand(dlg.m_address, &entry, 1, CMD_READ_SN, status);
    ASSERT_NE(reply, nullptr);
    EXPECT_EQ(status, 17);
    EXPECT_EQ((*reply)[4], CMD_READ_SN);
    EXPECT_EQ((*reply)[17], 0) << "the block beyond the reply is zero-filled";
    const std::vector<std::string> lines = Lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "\n写 14 3f 00 00 03 00 01 05 ff b7 ");
    EXPECT_EQ(lines[1].rfind("\n读 14 3f 00 00 03 00 08 ", 0), 0u) << lines[1];
    EXPECT_EQ(lines[1].size(), std::string("\n读 ").size() + 17 * 3);
}

TEST_F(SendCommandTest, NoReplyGivesStatusZeroAndABareReadLine) {
    sim->InjectFault({FaultKind::Silence, 1, CMD_READ_SN, -1});
    int status = 99;
    EXPECT_EQ(dlg.SendCommand(dlg.m_address, &entry, 1, CMD_READ_SN, status), nullptr);
    EXPECT_EQ(status, 0);
    ASSERT_EQ(Lines().size(), 2u);
    EXPECT_EQ(Lines()[1], "\n读 ");
}

TEST_F(SendCommandTest, ReplyOfEightBytesIsStatusZeroAndOfNineIsAccepted) {
    int status = 99;
    sim->InjectFault({FaultKind::ShortReply, 1, CMD_READ_SN, 8});
    EXPECT_EQ(dlg.SendCommand(dlg.m_address, &entry, 1, CMD_READ_SN, status), nullptr);
    EXPECT_EQ(status, 0);
    sim->InjectFault({FaultKind::ShortReply, 1, CMD_READ_SN, 9});
    EXPECT_NE(dlg.SendCommand(dlg.m_address, &entry, 1, CMD_READ_SN, status), nullptr);
    EXPECT_EQ(status, 9);
}

TEST_F(SendCommandTest, PortThatCannotOpenSendsAndTracesNothing) {
    ASSERT_TRUE(Replace(IDC_PORT, "9"));
    int status = 99;
    EXPECT_EQ(dlg.SendCommand(dlg.m_address, &entry, 1, CMD_READ_SN, status), nullptr);
    EXPECT_EQ(status, -1);
    EXPECT_TRUE(Lines().empty());
    EXPECT_EQ(sim->RequestsSeen(CMD_READ_SN), 0);
}

TEST_F(SendCommandTest, PayloadNoCommandCarriesIsRefusedUnsent) {
    const std::uint8_t tooLong[10] = {};
    int status = 99;
    EXPECT_EQ(dlg.SendCommand(dlg.m_address, tooLong, 10, CMD_REGISTER_SN, status), nullptr);
    EXPECT_EQ(status, -1);
    EXPECT_TRUE(Lines().empty());
}

TEST_F(SendCommandTest, AddressTakesItsLowByte) {
    int status = 0;
    dlg.SendCommand(257, &entry, 1, CMD_READ_SN, status);
    ASSERT_FALSE(Lines().empty());
    EXPECT_EQ(Lines()[0], "\n写 14 3f 00 01 03 00 01 05 ff b6 ");
}

TEST(TraceListTest, KeepsTheNewest900LinesWithTheLastInView) {
    TraceLogDlg log;
    ASSERT_TRUE(log.Create());
    g_traceList = &log.m_log;
    for (int i = 0; i < 901; ++i) {
        const std::uint8_t byte = static_cast<std::uint8_t>(i);
        TraceFrame("读", &byte, 1);
    }
    g_traceList = nullptr;
    EXPECT_EQ(log.m_log.GetCount(), 900);
    EXPECT_EQ(log.m_log.GetText(0), "\n读 01 ") << "the first line went";
    EXPECT_EQ(log.m_log.GetText(899), "\n读 84 ");
    EXPECT_GE(log.m_log.GetTopIndex(), 1) << "scrolled towards the newest line";
    log.DestroyWindow();
    uitest::FlushDeferredDeletes();
}

}  // namespace
