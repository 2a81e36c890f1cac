// Typed control access: combo boxes, list view, list box, spin controls, edits.
#include "tests/ui/dialog_fixture.h"
#include "ui/testing/environment.h"

#if UITEST_BACKEND_QT
#include <QApplication>
#include <QImage>
#include <QStyledItemDelegate>
#include <QTableWidget>

#include "ui/qt/dialog_font.h"
#include "ui/qt/list_text_cells.h"
#endif

namespace {

using ControlsTest = DialogTest;

TEST_F(ControlsTest, EditableComboLosesItsSelectionOnceTextIsTyped) {
    EXPECT_EQ(dlg.m_channel.SetCurSel(1), 1);
    EXPECT_EQ(dlg.m_channel.GetCurSel(), 1);
    EXPECT_EQ(dlg.m_channel.GetWindowText(), "2");
    uitest::ReplaceText(dlg, IDC_T_CHANNEL, "7");
    EXPECT_EQ(dlg.m_channel.GetCurSel(), -1);
    EXPECT_EQ(dlg.m_channel.GetWindowText(), "7");
    EXPECT_GT(dlg.channelEditChanges, 0);
    // Typing an item's exact text does not select it either.
    uitest::ReplaceText(dlg, IDC_T_CHANNEL, "3");
    EXPECT_EQ(dlg.m_channel.GetCurSel(), -1);
    EXPECT_EQ(dlg.m_channel.SelectString(-1, "3"), 2);
    EXPECT_EQ(dlg.m_channel.GetCurSel(), 2);
}

TEST_F(ControlsTest, ComboSearchIsACaseInsensitivePrefixSearchThatWraps) {
    CComboBox& combo = dlg.m_channel;
    combo.ResetContent();
    EXPECT_EQ(combo.GetCount(), 0);
    EXPECT_EQ(combo.AddString("Alpha"), 0);
    EXPECT_EQ(combo.AddString("beta"), 1);
    EXPECT_EQ(combo.AddString("alps"), 2);
    EXPECT_EQ(combo.GetCurSel(), -1) << "adding selects nothing";
    EXPECT_EQ(combo.FindString(-1, "AL"), 0);
    EXPECT_EQ(combo.FindString(0, "al"), 2);
    EXPECT_EQ(combo.FindString(2, "al"), 0) << "search wraps round";
    EXPECT_EQ(combo.FindString(-1, "z"), CB_ERR);
    combo.SetCurSel(1);
    EXPECT_EQ(combo.SelectString(-1, "z"), CB_ERR);
    EXPECT_EQ(combo.GetCurSel(), 1) << "a failed search keeps the selection";
    EXPECT_EQ(combo.SetCurSel(7), CB_ERR);
    // Windows (and Qt) clear the selection; Wine's combo box keeps it.
    if (!uitest::UnderWine()) {
        EXPECT_EQ(combo.GetCurSel(), -1);
    }
    EXPECT_EQ(combo.GetLBText(2), "alps");
    EXPECT_EQ(combo.GetLBText(9), "");
}

TEST_F(ControlsTest, ListViewHoldsColumnsRowsAndCells) {
    CListCtrl& list = dlg.m_list;
    EXPECT_EQ(list.InsertColumn(0, "通道", LVCFMT_LEFT, 40), 0);
    EXPECT_EQ(list.InsertColumn(1, "温度", LVCFMT_LEFT, 60), 1);
    EXPECT_EQ(list.GetColumnHeading(1), "温度");
    EXPECT_EQ(list.GetColumnWidth(0), 40);
    EXPECT_EQ(list.InsertItem(0, "1"), 0);
    EXPECT_EQ(list.InsertItem(5, "2"), 1) << "an index past the end appends";
    EXPECT_EQ(list.InsertItem(0, "0"), 0);
    EXPECT_EQ(list.SetItemText(2, 1, "25.5"), TRUE);
    EXPECT_EQ(list.SetItemText(3, 1, "x"), FALSE);
    EXPECT_EQ(list.SetItemText(0, 2, "x"), FALSE);
    EXPECT_EQ(list.GetItemCount(), 3);
    EXPECT_EQ(uitest::CellText(dlg, IDC_T_LIST, 0, 0), "0");
    EXPECT_EQ(uitest::CellText(dlg, IDC_T_LIST, 1, 0), "1");
    EXPECT_EQ(list.GetItemText(2, 1), "25.5");
    EXPECT_EQ(list.GetItemText(2, 0), "2");
    EXPECT_EQ(list.GetItemText(1, 1), "");

    EXPECT_EQ(uitest::ColumnCount(dlg, IDC_T_LIST), 2);
    EXPECT_EQ(uitest::HeaderText(dlg, IDC_T_LIST, 0), "通道");
    EXPECT_EQ(uitest::RowCount(dlg, IDC_T_LIST), 3);

    list.SetExtendedStyle(list.GetExtendedStyle() | LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    EXPECT_EQ(list.GetExtendedStyle() & (LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT),
              static_cast<unsigned>(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT));
#if UITEST_BACKEND_QT
    // Qt only: the styles become the table's own settings.
    auto* table = uitest::ControlAs<QTableWidget>(dlg, IDC_T_LIST);
    EXPECT_TRUE(table->showGrid());
    EXPECT_EQ(table->selectionBehavior(), QAbstractItemView::SelectRows);
#endif
}

TEST_F(ControlsTest, ListViewCellsAndHeadingsKeepChineseText) {
    CListCtrl& list = dlg.m_list;
    list.InsertColumn(0, "内容", LVCFMT_LEFT, 60);
    list.InsertColumn(1, "值", LVCFMT_LEFT, 40);
    ASSERT_EQ(list.InsertItem(0, "温度1"), 0);
    EXPECT_TRUE(list.SetItemText(0, 1, "23.5℃"));
    EXPECT_EQ(uitest::CellText(dlg, IDC_T_LIST, 0, 0), "温度1");
    EXPECT_EQ(list.GetItemText(0, 1), "23.5℃");
    EXPECT_EQ(uitest::HeaderText(dlg, IDC_T_LIST, 1), "值");
    EXPECT_EQ(list.GetColumnHeading(0), "内容");
    EXPECT_EQ(dlg.m_log.AddString("第一行"), 0);
    EXPECT_EQ(dlg.m_log.GetText(0), "第一行");
    EXPECT_EQ(dlg.m_channel.AddString("通道五"), 4);
    EXPECT_EQ(dlg.m_channel.GetLBText(4), "通道五");
}

#if UITEST_BACKEND_QT
// Backend-bound: the Qt backend paints list cells itself; Win32 list views are the system's.
// A list's plain text cells are painted without the style's text layout: in the dialog font (a
// CJK face whose Latin half-width forms the layout picks) they must look exactly as the style
// draws them, numbers included.
TEST(ListTextCellsTest, CellsInTheDialogFontLookAsTheStyleDrawsThem) {
    const QFont before = QApplication::font();
    QApplication::setFont(DialogFont("宋体", 9));  // as the console does at start-up
    {
        QTableWidget table(3, 2);
        table.setItemDelegate(new ListTextCells(&table));
        const char* rows[][2] = {{"温度1", "-18.9"}, {"PT100温度2", "127.0"}, {"20:20:38", "1"}};
        for (int row = 0; row < 3; ++row) {
            for (int column = 0; column < 2; ++column) {
                table.setItem(row, column, new QTableWidgetItem(QString::fromUtf8(rows[row][column])));
            }
        }
        table.resize(320, 140);
        table.show();
        table.setCurrentItem(nullptr);
        table.clearFocus();
        auto shot = [&] { return table.viewport()->grab().toImage(); };
        const QImage ours = shot();
        QAbstractItemDelegate* cells = table.itemDelegate();
        QStyledItemDelegate style;
        table.setItemDelegate(&style);
        const QImage expected = shot();
        table.setItemDelegate(cells);
        EXPECT_TRUE(ours == expected) << "a pixel differs from the style's painting";
        // Not both blank: the number's cell has ink.
        const QRect number = table.visualItemRect(table.item(0, 1)).adjusted(1, 1, -1, -1);
        const QImage cell = ours.copy(number);
        bool ink = false;
        for (int y = 0; y < cell.height() && !ink; ++y) {
            for (int x = 0; x < cell.width() && !ink; ++x) ink = cell.pixel(x, y) != cell.pixel(0, 0);
        }
        EXPECT_TRUE(ink) << "the number is drawn";
    }
    QApplication::setFont(before);
}
#endif

TEST_F(ControlsTest, ListBoxKeepsLinesInTheOrderGivenAndScrolls) {
    CListBox& log = dlg.m_log;
    EXPECT_EQ(log.AddString("b"), 0);
    EXPECT_EQ(log.AddString("a"), 1) << "unsorted";
    EXPECT_EQ(log.InsertString(0, "first"), 0);
    EXPECT_EQ(log.InsertString(-1, "last"), 3);
    EXPECT_EQ(log.InsertString(9, "x"), LB_ERR);
    EXPECT_EQ(uitest::ListBoxLines(dlg, IDC_T_LOG),
              (std::vector<std::string>{"first", "b", "a", "last"}));
    EXPECT_EQ(log.DeleteString(1), 3);
    EXPECT_EQ(log.DeleteString(3), LB_ERR);
    EXPECT_EQ(log.GetText(1), "a");
    EXPECT_EQ(log.GetText(7), "");

    log.ResetContent();
    EXPECT_EQ(log.GetCount(), 0);
    for (int i = 0; i < 200; ++i) log.AddString("line " + std::to_string(i));
    EXPECT_EQ(log.GetTopIndex(), 0);
    log.SetTopIndex(199);
    EXPECT_GT(log.GetTopIndex(), 100);
    EXPECT_TRUE(uitest::ListBoxLineInView(dlg, IDC_T_LOG, 199)) << "the newest line is in view";
    EXPECT_FALSE(uitest::ListBoxLineInView(dlg, IDC_T_LOG, 0));
}

class SpinTest : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        dlg.m_spin.SetRange32(0, 100);
        dlg.m_spin.SetPos32(50);
    }
};

TEST_F(SpinTest, StepIsAnnouncedBeforeItIsTaken) {
    EXPECT_TRUE(dlg.deltaPos.empty()) << "setting the position announces nothing";
    uitest::StepSpin(dlg, IDC_T_SPIN, true);
    ASSERT_EQ(dlg.deltaPos.size(), 1u);
    EXPECT_EQ(dlg.deltaPos[0], std::make_pair(50, 1));
    EXPECT_EQ(dlg.m_spin.GetPos32(), 51);
    uitest::StepSpin(dlg, IDC_T_SPIN, false);
    EXPECT_EQ(dlg.deltaPos.back(), std::make_pair(51, -1));
    EXPECT_EQ(dlg.m_spin.GetPos32(), 50);
}

TEST_F(SpinTest, HandlerMayVetoTheStep) {
    dlg.vetoDelta = 1;
    uitest::StepSpin(dlg, IDC_T_SPIN, true);
    EXPECT_EQ(dlg.deltaPos.size(), 1u);
    EXPECT_EQ(dlg.m_spin.GetPos32(), 50);
}

TEST_F(SpinTest, StopsAtTheEndsWithoutWrapping) {
    dlg.m_spin.SetPos32(100);
    uitest::StepSpin(dlg, IDC_T_SPIN, true);
    EXPECT_EQ(dlg.deltaPos.back(), std::make_pair(100, 1)) << "announced all the same";
    EXPECT_EQ(dlg.m_spin.GetPos32(), 100);
    dlg.m_spin.SetPos32(0);
    uitest::StepSpin(dlg, IDC_T_SPIN, false);
    EXPECT_EQ(dlg.m_spin.GetPos32(), 0);
    EXPECT_EQ(dlg.m_spin.SetPos32(500), 0) << "returns the previous position";
    EXPECT_EQ(dlg.m_spin.GetPos32(), 100) << "clamped to the range";
    int lower = -1, upper = -1;
    dlg.m_spin.GetRange32(lower, upper);
    EXPECT_EQ(lower, 0);
    EXPECT_EQ(upper, 100);
}

TEST_F(SpinTest, ArrowKeysStep) {
#if UITEST_BACKEND_WIN32
    GTEST_SKIP() << "Windows' dialog takes the arrow keys on an up-down control itself to move "
                    "the focus; they step it through its buddy (BuddyShowsThePositionAndIsReadBack)";
#endif
    uitest::PressKeyOn(dlg, IDC_T_SPIN, uitest::NamedKey::Up);
    uitest::PressKeyOn(dlg, IDC_T_SPIN, uitest::NamedKey::Up);
    uitest::PressKeyOn(dlg, IDC_T_SPIN, uitest::NamedKey::Down);
    EXPECT_EQ(dlg.deltaPos.size(), 3u);
    EXPECT_EQ(dlg.m_spin.GetPos32(), 51);
}

TEST_F(SpinTest, BuddyShowsThePositionAndIsReadBack) {
    dlg.m_spinBuddy.SetRange32(0, 10);
    dlg.m_spinBuddy.SetPos32(5);
    EXPECT_EQ(uitest::Text(dlg, IDC_T_BUDDY), "5");
    uitest::ReplaceText(dlg, IDC_T_BUDDY, "8");
    EXPECT_EQ(dlg.m_spinBuddy.GetPos32(), 8);
    uitest::PressKeyOn(dlg, IDC_T_BUDDY, uitest::NamedKey::Up);  // arrow keys in the buddy step the spin
    EXPECT_EQ(uitest::Text(dlg, IDC_T_BUDDY), "9");
    uitest::StepSpin(dlg, IDC_T_SPIN_BUDDY, true);
    uitest::StepSpin(dlg, IDC_T_SPIN_BUDDY, true);
    EXPECT_EQ(uitest::Text(dlg, IDC_T_BUDDY), "10");
}

TEST_F(ControlsTest, EditAnnouncesEveryChangeIncludingAnUnchangedSetText) {
    const int before = dlg.nameChanges;
    uitest::TypeText(dlg, IDC_T_NAME, "ab");
    EXPECT_EQ(dlg.nameChanges, before + 2);
    CWnd* name = dlg.GetDlgItem(IDC_T_NAME);
    ASSERT_NE(name, nullptr);
    name->SetWindowText(name->GetWindowText());
    EXPECT_EQ(dlg.nameChanges, before + 3);
    // The data exchange rewrites only fields whose text differs.
    dlg.UpdateData(TRUE);
    dlg.UpdateData(FALSE);
    EXPECT_EQ(dlg.nameChanges, before + 3);
}

TEST_F(ControlsTest, GetDlgItemGivesTheControlsClassAndNullForUnknownIds) {
    EXPECT_EQ(dlg.GetDlgItem(4242), nullptr);
    auto* run = static_cast<CButton*>(dlg.GetDlgItem(IDC_T_RUN));
    ASSERT_NE(run, nullptr);
    EXPECT_EQ(run->GetDlgCtrlID(), IDC_T_RUN);
    run->EnableWindow(FALSE);
    EXPECT_FALSE(uitest::IsEnabled(dlg, IDC_T_RUN));
    uitest::Click(dlg, IDC_T_RUN);
    EXPECT_EQ(dlg.runClicks, 0) << "a disabled button does not click";
    auto* radio = static_cast<CButton*>(dlg.GetDlgItem(IDC_T_MODE_A));
    EXPECT_EQ(radio->GetCheck(), 1);
    radio->SetCheck(0);
    EXPECT_EQ(radio->GetCheck(), 0);
}

}  // namespace
