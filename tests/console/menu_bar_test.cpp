// The main window's menu bar: its menus and items with their access keys, reached by keyboard,
// the window grown by the bar alone, and About from the help menu.
#include "tests/console/scanner_fixture.h"
#include "trend/trend_dialog.h"
#if UITEST_BACKEND_QT
#include <QAccessible>
#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "ui/qt/dialog_units.h"
#endif

namespace {

using MenuBarTest = ScannerWindowTest;

TEST_F(MenuBarTest, MenusAndItemsCarryTheirTextsAndAccessKeys) {
    EXPECT_EQ(uitest::MenuBarTitles(dlg),
              (std::vector<std::string>{"记录(&R)", "视图(&V)", "工具(&T)", "帮助(&H)"}));
    const std::pair<int, const char*> items[] = {{ID_RECORD_START, "开始记录(&S)…"},
                                                 {ID_RECORD_STOP, "停止记录(&T)"},
                                                 {ID_VIEW_TREND, "趋势图(&G)…"},
                                                 {ID_TOOLS_PORT_MAP, "串口映射(&P)…"},
                                                 {ID_HELP_ABOUT, "关于 QEV_K7R2(&A)…"}};
    for (const auto& [id, text] : items) EXPECT_EQ(uitest::MenuItemText(dlg, id), text) << id;
    EXPECT_TRUE(uitest::IsMenuItemShownEnabled(dlg, ID_RECORD_START));
    EXPECT_FALSE(uitest::IsMenuItemShownEnabled(dlg, ID_RECORD_STOP)) << "nothing to stop yet";
    EXPECT_EQ(uitest::MenuBarStatusText(dlg), "") << "not recording";
}

TEST_F(MenuBarTest, MenusAreNamedAsAReaderAnnouncesThem) {
#if UITEST_BACKEND_QT
    auto* bar = uitest::Window(dlg)->findChild<QMenuBar*>("ctl_menubar");
    ASSERT_NE(bar, nullptr);
    std::vector<std::string> names;
    for (QAction* menu : bar->actions()) names.push_back(menu->menu()->accessibleName().toStdString());
    EXPECT_EQ(names, (std::vector<std::string>{"记录(R)", "视图(V)", "工具(T)", "帮助(H)"}));
    EXPECT_EQ(bar->accessibleName().toStdString(), "菜单栏");
    // A reader announces an item as it reads, without the access key's marker.
    QAccessibleInterface* record = QAccessible::queryAccessibleInterface(bar->actions()[0]->menu());
    ASSERT_NE(record, nullptr);
    ASSERT_EQ(record->childCount(), 2);
    EXPECT_EQ(record->child(0)->text(QAccessible::Name).toStdString(), "开始记录(S)…");
    EXPECT_EQ(record->child(1)->text(QAccessible::Name).toStdString(), "停止记录(T)");
#else
    GTEST_SKIP() << "Qt's accessible tree; the system names a native menu bar itself";
#endif
}

TEST_F(MenuBarTest, WindowGrowsByTheBarAndTheControlsKeepTheirClientPlaces) {
#if UITEST_BACKEND_QT
    QWidget* window = uitest::Window(dlg);
    auto* bar = window->findChild<QMenuBar*>("ctl_menubar");
    ASSERT_NE(bar, nullptr);
    const DialogUnits units = DialogUnits::ForScreen(window->screen());
    const int height = bar->height();
    EXPECT_GT(height, 0);
    EXPECT_EQ(bar->geometry().topLeft(), QPoint(0, 0));
    EXPECT_EQ(window->size(), units.Size(308, 367) + QSize(0, height));
    EXPECT_EQ(window->minimumSize(), window->maximumSize());
    const QRect port = uitest::Control(dlg, IDC_PORT)->geometry();
    EXPECT_EQ(port, units.Rect(34, 8, 19, 14).translated(0, height));
    EXPECT_EQ(uitest::Control(dlg, IDC_LIST_RIGHT)->geometry(),
              units.Rect(204, 117, 98, 245).translated(0, height));
#else
    GTEST_SKIP() << "Qt lays the bar inside the window; a native bar sits above the client area";
#endif
}

TEST_F(MenuBarTest, AccessKeysOpenAMenuAndChooseAnItem) {
    int dialogs = 0;
    uitest::ScopedFileDialogHook files([&](const FileDialogRequest&) {
        ++dialogs;
        return std::optional<std::string>();  // Cancel
    });
    ASSERT_TRUE(uitest::ChooseMenuItemByKeys(dlg, 'r', 's'));
    EXPECT_TRUE(uitest::WaitUntil([&] { return dialogs == 1; }));
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
    ASSERT_TRUE(uitest::ChooseMenuItemByKeys(dlg, 'h', 'a'));
    EXPECT_TRUE(uitest::WaitUntil([&] { return abouts == 1; }));
    EXPECT_EQ(caption, "关于 QEV_K7R");
}

TEST_F(MenuBarTest, TrendItemOpensOneNonModalTrendWindow) {
    // Non-modal: the item returns with the trend window open.
    ASSERT_TRUE(uitest::InvokeMenuItem(dlg, ID_VIEW_TREND));
    ASSERT_TRUE(dlg.m_trendWindow.IsOpen());
    CDialog* trend = dlg.m_trendWindow.Dialog();
    EXPECT_EQ(trend->GetWindowText(), "温度趋势");
    const auto window = trend->GetWidget();
    ASSERT_TRUE(uitest::InvokeMenuItem(dlg, ID_VIEW_TREND));
    EXPECT_EQ(dlg.m_trendWindow.Dialog()->GetWidget(), window) << "raised, not another";
    dlg.DestroyWindow();
    EXPECT_FALSE(dlg.m_trendWindow.IsOpen()) << "goes with the main window";
}

}  // namespace
