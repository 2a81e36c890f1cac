// Taking the window's fields: order, validation, and the framework's OK and Cancel.
#include "tests/console/scanner_fixture.h"

namespace {

using FieldExchangeTest = ScannerWindowTest;

TEST_F(FieldExchangeTest, SnIndexOutOfRangeStopsBeforeTheSnBytesAndModeButTheOperationGoesOn) {
    ASSERT_TRUE(Replace(IDC_SN_INDEX, "65"));
    ASSERT_TRUE(Replace(IDC_PORT, "7"));  // no device: the single reading reports it
    ASSERT_TRUE(Replace(IDC_PERIOD, "1500"));
    // The SN fields are disabled outside manual mode; their texts still reach the members.
    dlg.GetDlgItem(IDC_SN_BYTE1)->SetWindowText("28");
    ASSERT_TRUE(Click(IDC_MODE_FULL_AUTO));

    ASSERT_TRUE(Click(IDC_SINGLE_ACQUISITION));

    ASSERT_GE(boxes.Count(), 2u);
    EXPECT_EQ(boxes.Records()[0].text, "请输入一个介于 0 和 64 之间的整数。");
    EXPECT_EQ(boxes.Last().text, "打开串口错误!") << "the operation went on after the message";
    for (const MessageBoxRecord& box : boxes.Records())
        EXPECT_EQ(box.caption, AfxGetApp()->AppName());
    EXPECT_FALSE(boxes.Last().warningIcon) << "the window's own messages carry no icon";
    EXPECT_EQ(dlg.m_port, 7) << "fields before the failing one are taken";
    EXPECT_EQ(dlg.m_periodMs, 1500);
    EXPECT_EQ(dlg.m_snIndex, 65) << "the failing member itself was read before the range check";
    EXPECT_EQ(dlg.m_snByte1, "0") << "members after it keep their values";
    EXPECT_EQ(dlg.m_regMode, 0);
    EXPECT_EQ(uitest::FocusedControlId(dlg), IDC_SN_INDEX);
}

TEST_F(FieldExchangeTest, LetterInAnIntegerFieldStopsThereWithTheIntegerMessage) {
    ASSERT_TRUE(Replace(IDC_PORT, "3"));
    ASSERT_TRUE(Replace(IDC_SIGNAL_COUNT, "x"));
    ASSERT_TRUE(Replace(IDC_PERIOD, "2000"));
    EXPECT_EQ(dlg.UpdateData(TRUE), FALSE);
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Last().text, "请输入一个整数。");
    EXPECT_EQ(dlg.m_port, 3);
    EXPECT_EQ(dlg.m_signalCount, 1);
    EXPECT_EQ(dlg.m_periodMs, 1000);
    EXPECT_EQ(uitest::FocusedControlId(dlg), IDC_SIGNAL_COUNT);
}

TEST_F(FieldExchangeTest, EnterInThePortFieldTakesTheFieldsAndCloses) {
    ASSERT_TRUE(Replace(IDC_ADDRESS, "12"));
    ASSERT_TRUE(uitest::PressEnter(dlg, IDC_PORT));
    uitest::FlushDeferredDeletes();
    EXPECT_FALSE(dlg.IsCreated());
    EXPECT_EQ(dlg.EndDialogResult(), IDOK);
    EXPECT_EQ(dlg.m_address, 12);
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(FieldExchangeTest, EnterWithAnInvalidFieldShowsTheMessageAndStaysOpen) {
    ASSERT_TRUE(Replace(IDC_CHANNEL, "a1"));
    ASSERT_TRUE(uitest::PressEnter(dlg, IDC_PORT));
    uitest::FlushDeferredDeletes();
    EXPECT_TRUE(dlg.IsCreated());
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Last().text, "请输入一个整数。");
    EXPECT_EQ(uitest::FocusedControlId(dlg), IDC_CHANNEL);
}

TEST_F(FieldExchangeTest, EscapeClosesWithoutTakingTheFields) {
    ASSERT_TRUE(Replace(IDC_ADDRESS, "12"));
    ASSERT_TRUE(uitest::PressEscape(dlg, IDC_ADDRESS));
    uitest::FlushDeferredDeletes();
    EXPECT_FALSE(dlg.IsCreated());
    EXPECT_EQ(dlg.EndDialogResult(), IDCANCEL);
    EXPECT_EQ(dlg.m_address, 0);
}

TEST_F(FieldExchangeTest, CloseBoxClosesWithoutTakingTheFields) {
    ASSERT_TRUE(Replace(IDC_PORT, "4"));
    ASSERT_TRUE(uitest::PressCloseBox(dlg));
    uitest::FlushDeferredDeletes();
    EXPECT_FALSE(dlg.IsCreated());
    EXPECT_EQ(dlg.m_port, 1);
}

TEST_F(FieldExchangeTest, ChoosingABaudRateTakesEveryField) {
    ASSERT_TRUE(Replace(IDC_PORT, "5"));
    ASSERT_TRUE(Replace(IDC_ADDRESS, "9"));
    ASSERT_TRUE(Replace(IDC_PERIOD, "800"));
    ASSERT_TRUE(uitest::SelectComboItem(dlg, IDC_BAUD, 3));
    EXPECT_EQ(dlg.m_baudText, "38400");
    EXPECT_EQ(dlg.m_port, 5);
    EXPECT_EQ(dlg.m_address, 9);
    EXPECT_EQ(dlg.m_periodMs, 800);
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(FieldExchangeTest, ShowingTheMembersSelectsTheBaudItemBeginningWithTheMemberText) {
    dlg.m_baudText = "192";
    dlg.UpdateData(FALSE);
    EXPECT_EQ(Text(IDC_BAUD), "19200");
}

TEST(BaudTextTest, TakesTheLeadingDecimalNumber) {
    EXPECT_EQ(BaudFromText("9600"), 9600);
    EXPECT_EQ(BaudFromText("38400 Bd"), 38400);
    EXPECT_EQ(BaudFromText(""), 0);
    EXPECT_EQ(BaudFromText("baud"), 0);
    EXPECT_EQ(BaudFromText(" 9600"), 0);
    EXPECT_EQ(BaudFromText("99999999999999"), 0x7FFFFFFF);
}

}  // namespace
