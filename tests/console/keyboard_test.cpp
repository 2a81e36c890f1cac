// Alt+letter on the main window: the menu bar's marked letter opens its menu and the item's
// letter chooses the item, through the system's own keyboard handling of the window.
#include "tests/console/scanner_fixture.h"

namespace {

using namespace std::chrono_literals;

TEST_F(ScannerWindowTest, AltLetterOpensTheRecordMenuAndItsLetterStartsRecording) {
#if UITEST_BACKEND_WIN32
    bool asked = false;
    uitest::ScopedFileDialogHook hook([&](const FileDialogRequest& request) {
        asked = !request.open;
        return std::optional<std::string>();
    });
    // "记录(&R)", then "开始记录(&S)…": the key after Alt+R waits in the queue for the menu.
    ASSERT_TRUE(uitest::PressAltLetter(dlg, 'r', 's'));
    EXPECT_TRUE(uitest::WaitUntil([&] { return asked; }, 5s));
    EXPECT_FALSE(dlg.m_recorder.IsRecording()) << "the save dialog was cancelled";
#else
    GTEST_SKIP() << "Qt's menu bar takes Alt+letter itself; tests/console/menu_bar_test.cpp";
#endif
}

}  // namespace
