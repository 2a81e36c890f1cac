// The window built from a template: size, control rectangles, names, tab order, first focus.
#include "tests/ui/dialog_fixture.h"

#if UITEST_BACKEND_QT
#include <QAccessible>
#include <QComboBox>
#include <QLabel>

#include "ui/qt/control_widgets.h"
#include "ui/qt/dialog_units.h"
#endif

namespace {

#if UITEST_BACKEND_QT
// Backend-bound: the Qt backend's own dialog-unit mapper (the Win32 one is the system's).
TEST(DialogUnitsTest, MapsAsTheNinePointFontDoes) {
    const DialogUnits at96(96.0);
    EXPECT_EQ(at96.Size(308, 367), QSize(462, 551));  // 550.5 rounds up, as MulDiv does
    // Corners are mapped, so width and height come from rounded edges.
    EXPECT_EQ(at96.Rect(34, 8, 19, 14), QRect(51, 12, 29, 21));
    const DialogUnits at144(144.0);
    EXPECT_EQ(at144.Size(308, 367), QSize(693, 826));
}
#endif

using DialogBuildTest = DialogTest;

TEST_F(DialogBuildTest, ClientAreaAndControlRectanglesFollowTheTemplate) {
    EXPECT_EQ(uitest::WindowTitle(dlg), "测试对话框");
    const uitest::PixelRect whole = uitest::DialogUnitsToPixels(dlg, 0, 0, 308, 367);
    const uitest::PixelRect client = uitest::ClientRect(dlg);
    EXPECT_EQ(client.width, whole.width);
    EXPECT_EQ(client.height, whole.height);
    // The mapping is the nine-point font's: about 1.5 pixels a unit at 96 DPI, more on a
    // denser screen, never less (a template taken as pixels would be a third smaller).
    EXPECT_GE(whole.width, 430);
    EXPECT_GE(whole.height, 520);

    EXPECT_EQ(uitest::ControlRect(dlg, IDC_T_NAME), uitest::DialogUnitsToPixels(dlg, 40, 28, 60, 14));
    EXPECT_EQ(uitest::ControlRect(dlg, IDC_T_RUN), uitest::DialogUnitsToPixels(dlg, 180, 88, 40, 14));
    EXPECT_EQ(uitest::ControlRect(dlg, IDC_T_LIST),
              uitest::DialogUnitsToPixels(dlg, 5, 110, 140, 120));
    // A closed combo box is one field high, whatever its template's height with the list.
    const uitest::PixelRect baud = uitest::ControlRect(dlg, IDC_T_BAUD);
    EXPECT_EQ(baud.x, uitest::DialogUnitsToPixels(dlg, 40, 88, 48, 64).x);
    EXPECT_LT(baud.height, uitest::DialogUnitsToPixels(dlg, 40, 88, 48, 64).height / 2);
    EXPECT_GE(baud.height, uitest::DialogUnitsToPixels(dlg, 0, 0, 0, 12).height);
    for (int id : {IDC_T_PORT, IDC_T_RUN, IDC_T_LIST, IDC_T_LOG, IDC_T_COUNT}) {
        EXPECT_TRUE(uitest::IsVisible(dlg, id)) << id;
    }
}

#if UITEST_BACKEND_QT
// Backend-bound: Qt picks a substitute face for 宋体 itself; Wine's prefix maps it by its
// font replacement, which tests/wine sets up.
TEST_F(DialogBuildTest, DialogFontIsAnInstalledCjkFaceWhoseLabelsFitTheirRectangles) {
    QWidget* window = uitest::Window(dlg);
    const QFont font = window->font();
    EXPECT_NE(font.family(), QStringLiteral("宋体"));
    EXPECT_NEAR(font.pointSizeF(), 9.0, 1.0);
    int labels = 0;
    for (QLabel* label : window->findChildren<QLabel*>()) {
        if (label->text().isEmpty()) continue;
        ++labels;
        EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width())
            << label->text().toStdString();
    }
    EXPECT_GT(labels, 0);
}
#endif

TEST_F(DialogBuildTest, CaptionedControlsAreNamedByTheirCaptionAndFieldsByTheLabelBeside) {
#if UITEST_BACKEND_QT
    // Qt only: tests find the widgets by these object names.
    QWidget* window = uitest::Window(dlg);
    EXPECT_NE(window->findChild<QWidget*>("ctl_1000"), nullptr);
    EXPECT_NE(window->findChild<QWidget*>("ctl_static_1"), nullptr);  // "端口:"
#endif
    EXPECT_EQ(uitest::AccessibleName(dlg, IDC_T_RUN), "执行");
    EXPECT_EQ(uitest::AccessibleName(dlg, IDC_T_MODE_B), "乙");
    // A caption changed later names its control anew.
    dlg.GetDlgItem(IDC_T_RUN)->SetWindowText("停止");
    EXPECT_EQ(uitest::AccessibleName(dlg, IDC_T_RUN), "停止");
    // The port field's label stands after it in the template but to its left on the same line:
    // the field is named by it, not by the control before it in tab order.
    EXPECT_EQ(uitest::AccessibleName(dlg, IDC_T_NAME), "名称:");
    EXPECT_EQ(uitest::AccessibleName(dlg, IDC_T_PORT), "端口:");
    // A field next to another field has no label of its own.
    EXPECT_EQ(uitest::AccessibleName(dlg, IDC_T_CODE), "");
}

TEST_F(DialogBuildTest, CombosAreNamedAsTheirPlatformsScreenReadersExpect) {
    auto* baud = static_cast<CComboBox*>(dlg.GetDlgItem(IDC_T_BAUD));
    ASSERT_NE(baud, nullptr);
#if UITEST_BACKEND_QT
    // Qt's Linux convention: named by the current value, labelled by the label beside it.
    EXPECT_EQ(uitest::AccessibleName(dlg, IDC_T_BAUD), "9600");
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(uitest::Control(dlg, IDC_T_BAUD));
    const auto labels = face->relations(QAccessible::Label);
    ASSERT_EQ(labels.size(), 1);
    EXPECT_EQ(labels[0].first->text(QAccessible::Name), "波特率:");
    // Chosen through the layer, or emptied: with nothing chosen the label names it.
    baud->SetCurSel(3);
    EXPECT_EQ(uitest::AccessibleName(dlg, IDC_T_BAUD), "38400");
    baud->SetCurSel(-1);
    EXPECT_EQ(uitest::AccessibleName(dlg, IDC_T_BAUD), "波特率:");
    // The editable combo says what is typed in it.
    uitest::ReplaceText(dlg, IDC_T_CHANNEL, "7");
    EXPECT_EQ(uitest::AccessibleName(dlg, IDC_T_CHANNEL), "7");
    EXPECT_EQ(QAccessible::queryAccessibleInterface(uitest::Control(dlg, IDC_T_CHANNEL))->role(),
              QAccessible::ComboBox);
#else
    // Windows reads a combo box as "label: value" by itself once it is named by its label.
    baud->SetCurSel(3);
    EXPECT_EQ(uitest::AccessibleName(dlg, IDC_T_BAUD), "波特率:");
    // "通道" stands beside the editable combo without a colon: still its label.
    EXPECT_EQ(uitest::AccessibleName(dlg, IDC_T_CHANNEL), "通道");
#endif
}

TEST_F(DialogBuildTest, TabOrderIsTemplateOrderAndFirstFieldHasFocus) {
    EXPECT_EQ(uitest::FocusedControlId(dlg), IDC_T_PORT);
    // Tab as a user presses it, round to the first field again: labels, the group box and the
    // spin controls are no stops. Qt stops at each radio button, Windows at the group's checked
    // one only (arrows move within the group): the other two are left out of the comparison.
    std::vector<int> order{uitest::FocusedControlId(dlg)};
    for (int i = 0; i < 20 && (order.size() == 1 || order.back() != IDC_T_PORT); ++i) {
        ASSERT_TRUE(uitest::PressKeyOnFocus(dlg, uitest::NamedKey::Tab));
        const int id = uitest::FocusedControlId(dlg);
        if (id != IDC_T_MODE_B && id != IDC_T_MODE_C) order.push_back(id);
    }
    const std::vector<int> expected = {IDC_T_PORT,  IDC_T_NAME,    IDC_T_INDEX, IDC_T_CODE,
                                       IDC_T_MODE_A, IDC_T_BAUD,   IDC_T_CHANNEL, IDC_T_RUN,
                                       IDC_T_LIST,  IDC_T_LOG,     IDC_T_BUDDY, IDC_T_PORT};
    EXPECT_EQ(order, expected);
}

TEST_F(DialogBuildTest, InitialisationShowsTheMembers) {
    EXPECT_EQ(uitest::Text(dlg, IDC_T_PORT), "1");
    EXPECT_EQ(uitest::Text(dlg, IDC_T_NAME), "探头");
    EXPECT_EQ(uitest::Text(dlg, IDC_T_BAUD), "9600");
    EXPECT_TRUE(uitest::IsChecked(dlg, IDC_T_MODE_A));
    EXPECT_FALSE(uitest::IsChecked(dlg, IDC_T_MODE_B));
    EXPECT_EQ(uitest::Text(dlg, IDC_T_COUNT), "") << "the template's \"0\" gives way to the member";
    EXPECT_EQ(uitest::ComboItems(dlg, IDC_T_CHANNEL),
              (std::vector<std::string>{"1", "2", "3", "4"}));
    EXPECT_EQ(dlg.m_channel.GetCurSel(), -1);
}

TEST_F(DialogBuildTest, NoButtonIsADefaultButton) {
    // Enter in a field ends the dialog with OK; a default button would take it instead.
    EXPECT_FALSE(uitest::IsDefaultButton(dlg, IDC_T_RUN));
    uitest::PressEnter(dlg, IDC_T_NAME);
    EXPECT_EQ(dlg.runClicks, 0);
    EXPECT_EQ(dlg.EndDialogResult(), IDOK);
}

TEST_F(DialogBuildTest, UpperCaseEditTurnsTypedLettersToUpperCase) {
    uitest::ReplaceText(dlg, IDC_T_CODE, "a1b");
    EXPECT_EQ(uitest::Text(dlg, IDC_T_CODE), "A1B");
}

}  // namespace
