// The main window as it opens, its lists, its system menu and About box, and its tab order.
#include <algorithm>

#include "console/about_dlg.h"
#include "console/temperature_lists.h"
#include "link/fault_log.h"
#include "tests/console/scanner_fixture.h"

namespace {

using MainWindowTest = ScannerWindowTest;

TEST_F(MainWindowTest, OpensWithTheDefaultSettings) {
    EXPECT_EQ(dlg.GetWindowText(), "QEV-K7R2 温度循检仪测试软件 Ver3.01");
    EXPECT_EQ(Text(IDC_PORT), "1");
    EXPECT_EQ(Text(IDC_BAUD), "9600");
    EXPECT_EQ(uitest::ComboItems(dlg, IDC_BAUD),
              (std::vector<std::string>{"1200", "9600", "19200", "38400"}));
    EXPECT_EQ(Text(IDC_ADDRESS), "0");
    EXPECT_EQ(Text(IDC_SIGNAL_COUNT), "1");
    EXPECT_EQ(Text(IDC_SN_INDEX), "1");
    EXPECT_EQ(Text(IDC_CHANNEL), "1");
    EXPECT_EQ(Text(IDC_PERIOD), "1000");
    for (int id : kSnByteIds) {
        EXPECT_EQ(Text(id), "0") << id;
        EXPECT_FALSE(uitest::IsEnabled(dlg, id)) << id;
    }
    EXPECT_TRUE(uitest::IsChecked(dlg, IDC_MODE_SEMI_AUTO));
    EXPECT_FALSE(uitest::IsChecked(dlg, IDC_MODE_MANUAL));
    EXPECT_FALSE(uitest::IsChecked(dlg, IDC_MODE_FULL_AUTO));
    EXPECT_EQ(Text(IDC_OK_COUNT), "") << "the template's 0 gives way to the empty member";
    EXPECT_EQ(Text(IDC_FAIL_COUNT), "");
    EXPECT_EQ(Text(IDC_CONTINUOUS_ACQUISITION), "连续采集");
    EXPECT_EQ(uitest::FocusedControlId(dlg), IDC_PORT);
    EXPECT_EQ(g_mainDlg, &dlg);
    EXPECT_EQ(std::string(g_startDir), start.Path());
    EXPECT_EQ(dlg.m_continuousOn, 0);
    EXPECT_EQ(dlg.m_snByteRefs[0], &dlg.m_snByte1);
    EXPECT_EQ(dlg.m_snByteRefs[7], &dlg.m_snByte8);
    boxes.Clear();
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(MainWindowTest, ListsHaveTheirColumnsLabelsAndStyles) {
    for (int id : {IDC_LIST_LEFT, IDC_LIST_MIDDLE, IDC_LIST_RIGHT}) {
        EXPECT_EQ(uitest::ColumnCount(dlg, id), 2);
        EXPECT_EQ(uitest::HeaderText(dlg, id, 0), "内容");
        EXPECT_EQ(uitest::HeaderText(dlg, id, 1), "值");
    }
    EXPECT_EQ(dlg.m_listLeft.GetColumnWidth(0), 80);
    EXPECT_EQ(dlg.m_listLeft.GetColumnWidth(1), 78);
    EXPECT_EQ(dlg.m_listRight.GetExtendedStyle() & 0xA1u, 0xA1u);

    ASSERT_EQ(uitest::RowCount(dlg, IDC_LIST_LEFT), 26);
    ASSERT_EQ(uitest::RowCount(dlg, IDC_LIST_MIDDLE), 26);
    ASSERT_EQ(uitest::RowCount(dlg, IDC_LIST_RIGHT), 17);
    EXPECT_EQ(Cell(IDC_LIST_LEFT, 0, 0), "温度1");
    EXPECT_EQ(Cell(IDC_LIST_LEFT, 25, 0), "温度26");
    EXPECT_EQ(Cell(IDC_LIST_MIDDLE, 0, 0), "温度27");
    EXPECT_EQ(Cell(IDC_LIST_MIDDLE, 25, 0), "温度52");
    const char* right[17] = {"PT100温度1", "PT100温度2", "PT100温度3", "PT100温度4", "",
                             "温度53",     "温度54",     "温度55",     "温度56",     "温度57",
                             "温度58",     "温度59",     "温度60",     "温度61",     "温度62",
                             "温度63",     "温度64"};
    for (int row = 0; row < 17; ++row) {
        EXPECT_EQ(Cell(IDC_LIST_RIGHT, row, 0), right[row]) << row;
        EXPECT_EQ(Cell(IDC_LIST_RIGHT, row, 1), "") << "value cells start empty";
    }
}

TEST(ProbeCellTest, EveryProbeLandsOnTheRowCarryingItsLabel) {
    StartDirectory start;
    CScannerDlg dlg;
    ASSERT_TRUE(dlg.Create());
    const int lists[] = {IDC_LIST_LEFT, IDC_LIST_MIDDLE, IDC_LIST_RIGHT};
    for (int probe = 1; probe <= kMaxProbes; ++probe) {
        const ListCell cell = ProbeCell(probe);
        const int list = lists[static_cast<int>(cell.list)];
        EXPECT_EQ(uitest::CellText(dlg, list, cell.row, 0), "温度" + std::to_string(probe));
    }
    dlg.DestroyWindow();
    uitest::FlushDeferredDeletes();
}

TEST_F(MainWindowTest, SystemMenuEndsWithTheAboutEntryWhichOpensTheAboutBox) {
    const std::vector<SystemMenuEntry> menu = uitest::SystemMenuItems(dlg);
    ASSERT_GE(menu.size(), 3u);
    EXPECT_TRUE(menu[menu.size() - 2].separator);
    EXPECT_EQ(menu.back().text, "关于 QEV_K7R2(&A)...");
    EXPECT_EQ(menu.back().id, IDM_ABOUTBOX);

    std::string caption, line;
    int runs = 0;
    uitest::ScopedModalDialogHook hook([&](CDialog& about) {
        ++runs;
        caption = about.GetWindowText();
        line = uitest::AccessibleName(about, 1) == "确定" ? "ok-button" : "";
        uitest::Click(about, 1);
        return about.EndDialogResult().value_or(-1);
    });
    EXPECT_TRUE(uitest::InvokeSystemMenuItem(dlg, IDM_ABOUTBOX));
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(caption, "关于 QEV_K7R");
    EXPECT_EQ(line, "ok-button");
    EXPECT_TRUE(dlg.IsCreated()) << "the About box returns to the main window";
}

TEST(AboutBoxTest, ShowsTheVersionLineAndClosesWithOk) {
    CAboutDlg about;
    std::vector<std::string> texts;
    uitest::ScopedModalDialogHook hook([&](CDialog& box) {
        texts = uitest::ControlTexts(box);
        uitest::Click(box, 1);
        return box.EndDialogResult().value_or(-1);
    });
    EXPECT_EQ(about.DoModal(), IDOK);
    EXPECT_NE(std::find(texts.begin(), texts.end(), "QEV_K7R2 3.01 版"), texts.end());
}

TEST_F(MainWindowTest, OtherSystemCommandsKeepTheirUsualEffect) {
    EXPECT_TRUE(uitest::InvokeSystemMenuItem(dlg, SC_MINIMIZE));
    EXPECT_TRUE(uitest::WaitUntil([&] { return dlg.IsIconic() != FALSE; }));
    EXPECT_TRUE(uitest::InvokeSystemMenuItem(dlg, SC_RESTORE));
    EXPECT_TRUE(uitest::WaitUntil([&] { return dlg.IsIconic() == FALSE; }));
    EXPECT_NE(dlg.OnQueryDragIcon(), nullptr) << "the minimised window has the application icon";
    EXPECT_TRUE(uitest::InvokeSystemMenuItem(dlg, SC_CLOSE));
    uitest::FlushDeferredDeletes();
    EXPECT_FALSE(dlg.IsCreated());
}

TEST_F(MainWindowTest, TabWalksTheControlsInTemplateOrder) {
    std::vector<int> expected = {IDC_PORT,
                                 IDC_BAUD,
                                 IDC_ADDRESS,
                                 IDC_SIGNAL_COUNT,
                                 IDC_SET_SIGNAL_COUNT,
                                 IDC_SN_INDEX,
                                 IDC_READ_SN,
                                 IDC_MODE_SEMI_AUTO,
                                 IDC_MODE_MANUAL,
                                 IDC_MODE_FULL_AUTO,
                                 IDC_CHANNEL,
                                 IDC_REGISTER,
                                 IDC_PERIOD,
                                 IDC_SINGLE_ACQUISITION,
                                 IDC_CONTINUOUS_ACQUISITION,
                                 IDC_LIST_LEFT,
                                 IDC_LIST_MIDDLE,
                                 IDC_FILE_REGISTER,
                                 IDC_PT100_SETTINGS,
                                 IDC_LIST_RIGHT};
#if UITEST_BACKEND_WIN32
    // Windows stops once in a radio group, on its checked button; the arrows move within it.
    std::erase_if(expected, [](int id) { return id == IDC_MODE_MANUAL || id == IDC_MODE_FULL_AUTO; });
#endif
    EXPECT_EQ(uitest::TabOrder(dlg, IDC_PORT), expected);
}

}  // namespace
