// The main window's menu bar: its menus and items with their access keys, reached by keyboard,
// the window grown by the bar alone, and About from the help menu.
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

#include "tests/console/scanner_fixture.h"
#include "trend/trend_dialog.h"
#include "ui/qt/dialog_units.h"

namespace {

class MenuBarTest : public ScannerWindowTest {
protected:
    QMenuBar* Bar() { return uitest::Window(dlg)->findChild<QMenuBar*>("ctl_menubar"); }
    QAction* Item(int id) {
        return uitest::Window(dlg)->findChild<QAction*>(QStringLiteral("ctl_%1").arg(id));
    }
};

TEST_F(MenuBarTest, MenusAndItemsCarryTheirTextsAccessKeysAndNames) {
    QMenuBar* bar = Bar();
    ASSERT_NE(bar, nullptr);
    std::vector<std::string> titles, names;
    for (QAction* menu : bar->actions()) {
        titles.push_back(menu->text().toStdString());
        names.push_back(menu->menu()->accessibleName().toStdString());
    }
    EXPECT_EQ(titles, (std::vector<std::string>{"记录(&R)", "视图(&V)", "工具(&T)", "帮助(&H)"}));
    EXPECT_EQ(names, (std::vector<std::string>{"记录(R)", "视图(V)", "工具(T)", "帮助(H)"}));
    const std::pair<int, const char*> items[] = {{ID_RECORD_START, "开始记录(&S)…"},
                                                 {ID_RECORD_STOP, "停止记录(&T)"},
                                                 {ID_VIEW_TREND, "趋势图(&G)…"},
                                                 {ID_TOOLS_PORT_MAP, "串口映射(&P)…"},
                                                 {ID_HELP_ABOUT, "关于 QEV_K7R2(&A)…"}};
    for (const auto& [id, text] : items) {
        ASSERT_NE(Item(id), nullptr) << id;
        EXPECT_EQ(Item(id)->text().toStdString(), text);
    }
    EXPECT_TRUE(Item(ID_RECORD_START)->isEnabled());
    EXPECT_FALSE(Item(ID_RECORD_STOP)->isEnabled()) << "nothing to stop yet";
    EXPECT_EQ(bar->accessibleName().toStdString(), "菜单栏");
    // A reader announces an item as it reads, without the access key's marker.
    QAccessibleInterface* record = QAccessible::queryAccessibleInterface(bar->actions()[0]->menu());
    ASSERT_NE(record, nullptr);
    ASSERT_EQ(record->childCount(), 2);
    EXPECT_EQ(record->child(0)->text(QAccessible::Name).toStdString(), "开始记录(S)…");
    EXPECT_EQ(record->child(1)->text(QAccessible::Name).toStdString(), "停止记录(T)");
}

TEST_F(MenuBarTest, WindowGrowsByTheBarAndTheControlsKeepTheirClientPlaces) {
    QWidget* window = uitest::Window(dlg);
    const DialogUnits units = DialogUnits::ForScreen(window->screen());
    const int bar = Bar()->height();
    EXPECT_GT(bar, 0);
    EXPECT_EQ(Bar()->geometry().topLeft(), QPoint(0, 0));
    EXPECT_EQ(window->size(), units.Size(308, 367) + QSize(0, bar));
    EXPECT_EQ(window->minimumSize(), window->maximumSize());
    const QRect port = uitest::Control(dlg, IDC_PORT)->geometry();
    EXPECT_EQ(port, units.Rect(34, 8, 19, 14).translated(0, bar));
    EXPECT_EQ(uitest::Control(dlg, IDC_LIST_RIGHT)->geometry(),
              units.Rect(204, 117, 98, 245).translated(0, bar));
}

TEST_F(MenuBarTest, AccessKeysOpenAMenuAndChooseAnItem) {
    QWidget* window = uitest::Window(dlg);
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    int dialogs = 0;
    uitest::ScopedFileDialogHook files([&](const FileDialogRequest&) {
        ++dialogs;
        return std::optional<std::string>();  // Cancel
    });
    QTest::keyClick(window, Qt::Key_R, Qt::AltModifier);
    QMenu* record = Bar()->actions()[0]->menu();
    ASSERT_TRUE(uitest::WaitUntil([&] { return record->isVisible(); }));
    QTest::keyClick(record, Qt::Key_S);
    EXPECT_TRUE(uitest::WaitUntil([&] { return dialogs == 1; }));
    EXPECT_FALSE(record->isVisible());
    EXPECT_FALSE(dlg.m_recorder.IsRecording()) << "cancelled";

    // Help, About: the system menu's About box.
    int abouts = 0;
    std::string caption;
    uitest::ScopedModalDialogHook modal([&](CDialog& about) {
        ++abouts;
        caption = about.GetWindowText();
        about.EndDialog(IDOK);
        return IDOK;
    });
    QTest::keyClick(window, Qt::Key_H, Qt::AltModifier);
    QMenu* help = Bar()->actions()[3]->menu();
    ASSERT_TRUE(uitest::WaitUntil([&] { return help->isVisible(); }));
    QTest::keyClick(help, Qt::Key_A);
    EXPECT_TRUE(uitest::WaitUntil([&] { return abouts == 1; }));
    EXPECT_EQ(caption, "关于 QEV_K7R");
}

TEST_F(MenuBarTest, TrendItemOpensOneNonModalTrendWindow) {
    Item(ID_VIEW_TREND)->trigger();
    ASSERT_TRUE(dlg.m_trendWindow.IsOpen());
    QWidget* trend = dlg.m_trendWindow.Dialog()->GetWidget();
    EXPECT_EQ(trend->windowTitle().toStdString(), "温度趋势");
    EXPECT_FALSE(trend->isModal());
    Item(ID_VIEW_TREND)->trigger();
    EXPECT_EQ(dlg.m_trendWindow.Dialog()->GetWidget(), trend) << "raised, not another";
    dlg.DestroyWindow();
    EXPECT_FALSE(dlg.m_trendWindow.IsOpen()) << "goes with the main window";
}

}  // namespace
