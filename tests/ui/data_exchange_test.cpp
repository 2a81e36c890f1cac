// Data exchange and the framework's OK/Cancel: order, validation, focus, and what is taken.
#include "tests/ui/dialog_fixture.h"

namespace {

// Message boxes are captioned with the executable's name.
std::string AppName() { return "ui_tests"; }

using DataExchangeTest = DialogTest;

TEST_F(DataExchangeTest, FailureAtAMiddleFieldStopsThereWithFocusAndMessage) {
    uitest::ReplaceText(dlg, IDC_T_PORT, "5");
    uitest::ReplaceText(dlg, IDC_T_NAME, "新名");
    uitest::ReplaceText(dlg, IDC_T_INDEX, "abc");
    uitest::ReplaceText(dlg, IDC_T_CODE, "ff");
    uitest::Click(dlg, IDC_T_MODE_C);

    EXPECT_EQ(dlg.UpdateData(TRUE), FALSE);
    EXPECT_EQ(dlg.m_port, 5);
    EXPECT_EQ(dlg.m_name, "新名");
    EXPECT_EQ(dlg.m_index, 1) << "the failing member keeps its value";
    EXPECT_EQ(dlg.m_code, "0") << "members after the failure are untouched";
    EXPECT_EQ(dlg.m_mode, 0);

    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Last().text, "请输入一个整数。");
    EXPECT_EQ(boxes.Last().caption, AppName());
    EXPECT_FALSE(boxes.Last().warningIcon);
    EXPECT_TRUE(boxes.Last().hasOwner);
    EXPECT_EQ(uitest::FocusedControlId(dlg), IDC_T_INDEX);
    EXPECT_EQ(uitest::SelectedText(dlg, IDC_T_INDEX), "abc");
}

TEST_F(DataExchangeTest, RangeCheckNamesTheBoundsAndStopsTheExchange) {
    uitest::ReplaceText(dlg, IDC_T_INDEX, "65");
    uitest::ReplaceText(dlg, IDC_T_CODE, "ff");
    EXPECT_EQ(dlg.UpdateData(TRUE), FALSE);
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Last().text, "请输入一个介于 0 和 64 之间的整数。");
    EXPECT_TRUE(boxes.Last().warningIcon);
    EXPECT_EQ(dlg.m_index, 65) << "the value was taken before it was checked";
    EXPECT_EQ(dlg.m_code, "0");
    EXPECT_EQ(uitest::FocusedControlId(dlg), IDC_T_INDEX);

    uitest::ReplaceText(dlg, IDC_T_INDEX, "64");
    EXPECT_EQ(dlg.UpdateData(TRUE), TRUE);
    EXPECT_EQ(dlg.m_code, "FF");
}

TEST_F(DataExchangeTest, IntegerFieldTakesOnlyAWholeSignedDecimalNumber) {
    struct Case {
        const char* text;
        bool ok;
        int value;
    };
    const Case cases[] = {{"+7", true, 7},      {"-12", true, -12},  {" 42 ", true, 42},
                          {"", false, 0},       {"1.5", false, 0},   {"12a", false, 0},
                          {"0x10", false, 0},   {"-", false, 0},     {"2147483647", true, INT32_MAX},
                          {"99999999999", false, 0}};
    for (const Case& c : cases) {
        dlg.m_port = 1;
        boxes.Clear();
        dlg.GetDlgItem(IDC_T_PORT)->SetWindowText(c.text);
        EXPECT_EQ(dlg.UpdateData(TRUE), c.ok ? TRUE : FALSE) << c.text;
        EXPECT_EQ(dlg.m_port, c.ok ? c.value : 1) << c.text;
        EXPECT_EQ(boxes.Count(), c.ok ? 0u : 1u) << c.text;
    }
}

TEST_F(DataExchangeTest, EnterInAFieldTakesTheFieldsAndEndsWithOk) {
    uitest::ReplaceText(dlg, IDC_T_PORT, "7");
    uitest::PressEnter(dlg, IDC_T_NAME);
    EXPECT_EQ(dlg.EndDialogResult(), IDOK);
    EXPECT_FALSE(dlg.IsCreated());
    EXPECT_EQ(dlg.m_port, 7);
    EXPECT_EQ(dlg.destroys, 1);
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(DataExchangeTest, EnterWithAnInvalidFieldComplainsAndStaysOpen) {
    uitest::ReplaceText(dlg, IDC_T_PORT, "x");
    uitest::PressEnter(dlg, IDC_T_NAME);
    EXPECT_TRUE(dlg.IsCreated());
    EXPECT_FALSE(dlg.EndDialogResult().has_value());
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Last().text, "请输入一个整数。");
    EXPECT_EQ(uitest::FocusedControlId(dlg), IDC_T_PORT);
}

TEST_F(DataExchangeTest, EnterOnAPushButtonClicksItInstead) {
    // Tabbed to, as a user reaches it from the keyboard.
    uitest::PressKeyOn(dlg, IDC_T_CHANNEL, uitest::NamedKey::Tab);
    ASSERT_EQ(uitest::FocusedControlId(dlg), IDC_T_RUN);
    uitest::PressKeyOnFocus(dlg, uitest::NamedKey::Enter);
    EXPECT_EQ(dlg.runClicks, 1);
    EXPECT_TRUE(dlg.IsCreated());
}

TEST_F(DataExchangeTest, EnterOnARadioButtonOrComboIsOk) {
    uitest::PressEnter(dlg, IDC_T_CHANNEL);
    EXPECT_EQ(dlg.EndDialogResult(), IDOK);
}

TEST_F(DataExchangeTest, EscapeCancelsWithoutTakingTheFields) {
    uitest::ReplaceText(dlg, IDC_T_PORT, "9");
    uitest::PressEscape(dlg, IDC_T_PORT);
    EXPECT_EQ(dlg.EndDialogResult(), IDCANCEL);
    EXPECT_FALSE(dlg.IsCreated());
    EXPECT_EQ(dlg.m_port, 1);
    EXPECT_EQ(dlg.destroys, 1);
}

TEST_F(DataExchangeTest, CloseBoxIsTheSystemCloseCommandAndCancels) {
    uitest::ReplaceText(dlg, IDC_T_PORT, "9");
    uitest::PressCloseBox(dlg);
    EXPECT_EQ(dlg.sysCommands, std::vector<UINT>{SC_CLOSE});
    EXPECT_EQ(dlg.EndDialogResult(), IDCANCEL);
    EXPECT_EQ(dlg.m_port, 1);
}

TEST_F(DataExchangeTest, RadioGroupSelectsExclusivelyAndExchangesTheIndex) {
    uitest::Click(dlg, IDC_T_MODE_B);
    EXPECT_TRUE(uitest::IsChecked(dlg, IDC_T_MODE_B));
    EXPECT_FALSE(uitest::IsChecked(dlg, IDC_T_MODE_A));
    EXPECT_EQ(dlg.modeBClicks, 1);
    ASSERT_TRUE(dlg.UpdateData(TRUE));
    EXPECT_EQ(dlg.m_mode, 1);

    dlg.m_mode = -1;
    dlg.UpdateData(FALSE);
    for (int id : {IDC_T_MODE_A, IDC_T_MODE_B, IDC_T_MODE_C}) EXPECT_FALSE(uitest::IsChecked(dlg, id));
    dlg.UpdateData(TRUE);
    EXPECT_EQ(dlg.m_mode, -1);

    dlg.m_mode = 2;
    dlg.UpdateData(FALSE);
    EXPECT_TRUE(uitest::IsChecked(dlg, IDC_T_MODE_C));
}

TEST_F(DataExchangeTest, DropDownListSelectsTheFirstItemBeginningWithTheMember) {
    dlg.m_baud = "19";
    dlg.UpdateData(FALSE);
    EXPECT_EQ(uitest::Text(dlg, IDC_T_BAUD), "19200");
    dlg.m_baud = "5";  // no item begins with it: the selection stays
    dlg.UpdateData(FALSE);
    EXPECT_EQ(uitest::Text(dlg, IDC_T_BAUD), "19200");
    EXPECT_EQ(dlg.baudSelChanges, 0) << "selection by the program sends no notification";
}

TEST_F(DataExchangeTest, UserSelectionNotifiesAndItsHandlerTakesTheFields) {
    ASSERT_TRUE(uitest::SelectComboItem(dlg, IDC_T_BAUD, 3));
    EXPECT_EQ(dlg.baudSelChanges, 1);
    EXPECT_EQ(dlg.m_baud, "38400");
}

}  // namespace
