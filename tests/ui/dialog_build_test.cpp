// The window built from a template: size, control rectangles, names, tab order, first focus.
#include <QLabel>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

#include "tests/ui/dialog_fixture.h"
#include "ui/qt/dialog_units.h"

namespace {

double DpiScale() { return QGuiApplication::primaryScreen()->logicalDotsPerInch() / 96.0; }

TEST(DialogUnitsTest, MapsAsTheNinePointFontDoes) {
    const DialogUnits at96(96.0);
    EXPECT_EQ(at96.Size(308, 367), QSize(462, 551));  // 550.5 rounds up, as MulDiv does
    // Corners are mapped, so width and height come from rounded edges.
    EXPECT_EQ(at96.Rect(34, 8, 19, 14), QRect(51, 12, 29, 21));
    const DialogUnits at144(144.0);
    EXPECT_EQ(at144.Size(308, 367), QSize(693, 826));
}

using DialogBuildTest = DialogTest;

TEST_F(DialogBuildTest, ClientAreaAndControlRectanglesFollowTheTemplate) {
    QWidget* window = uitest::Window(dlg);
    const double s = DpiScale();
    EXPECT_NEAR(window->width(), 462 * s, 1.0);
    EXPECT_NEAR(window->height(), 550.5 * s, 1.0);
    EXPECT_EQ(window->minimumSize(), window->maximumSize()) << "client size is fixed";
    EXPECT_EQ(window->windowTitle().toStdString(), "测试对话框");

    const QRect name = uitest::Control(dlg, IDC_T_NAME)->geometry();  // 40,28,60,14 du
    EXPECT_NEAR(name.x(), 60 * s, 1.0);
    EXPECT_NEAR(name.y(), 42 * s, 1.0);
    EXPECT_NEAR(name.width(), 90 * s, 1.0);
    EXPECT_NEAR(name.height(), 21 * s, 1.0);
}

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

TEST_F(DialogBuildTest, ControlsCarryObjectAndAccessibleNames) {
    QWidget* window = uitest::Window(dlg);
    EXPECT_NE(window->findChild<QLineEdit*>("ctl_1000"), nullptr);
    EXPECT_NE(window->findChild<QWidget*>("ctl_static_1"), nullptr);  // "端口:"
    // Captioned controls are named by their caption; fields by their label, which for the port
    // field stands after it in the template but to its left on the same line.
    EXPECT_EQ(uitest::AccessibleName(dlg, IDC_T_RUN), "执行");
    EXPECT_EQ(uitest::AccessibleName(dlg, IDC_T_MODE_B), "乙");
    EXPECT_EQ(uitest::AccessibleName(dlg, IDC_T_NAME), "名称:");
    EXPECT_EQ(uitest::AccessibleName(dlg, IDC_T_PORT), "端口:");
    EXPECT_EQ(uitest::AccessibleName(dlg, IDC_T_BAUD), "波特率:");
    // A field next to another field has no label of its own.
    EXPECT_EQ(uitest::AccessibleName(dlg, IDC_T_CODE), "");
}

TEST_F(DialogBuildTest, TabOrderIsTemplateOrderAndFirstFieldHasFocus) {
    EXPECT_EQ(uitest::FocusedControlId(dlg), IDC_T_PORT);
    DialogWidget* window = uitest::Window(dlg);
    std::vector<int> order;
    QWidget* w = uitest::Control(dlg, IDC_T_PORT);
    for (int guard = 0; guard < 100 && order.size() < 13; ++guard, w = w->nextInFocusChain()) {
        const ControlTemplate* ctl = window->TemplateOf(w);
        if (ctl != nullptr && (w->focusPolicy() & Qt::TabFocus) != 0) order.push_back(ctl->id);
    }
    const std::vector<int> expected = {IDC_T_PORT,   IDC_T_NAME,    IDC_T_INDEX,  IDC_T_CODE,
                                       IDC_T_MODE_A, IDC_T_MODE_B,  IDC_T_MODE_C, IDC_T_BAUD,
                                       IDC_T_CHANNEL, IDC_T_RUN,    IDC_T_LIST,   IDC_T_LOG,
                                       IDC_T_BUDDY};
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
    for (QPushButton* b : uitest::Window(dlg)->findChildren<QPushButton*>()) {
        EXPECT_FALSE(b->autoDefault()) << b->objectName().toStdString();
        EXPECT_FALSE(b->isDefault()) << b->objectName().toStdString();
    }
}

TEST_F(DialogBuildTest, UpperCaseEditTurnsTypedLettersToUpperCase) {
    uitest::ReplaceText(dlg, IDC_T_CODE, "a1b");
    EXPECT_EQ(uitest::Text(dlg, IDC_T_CODE), "A1B");
}

}  // namespace
