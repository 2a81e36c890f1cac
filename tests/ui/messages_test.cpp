// The message map, synchronous messages from other threads, the system menu and message boxes.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <future>

#include "tests/ui/dialog_fixture.h"

namespace {

using namespace std::chrono_literals;

using MessagesTest = DialogTest;

TEST_F(MessagesTest, MapRoutesCommandsNotificationsAndPrivateMessages) {
    dlg.Dispatch(WM_COMMAND, IDC_T_RUN | (WPARAM{BN_CLICKED} << 16), 0);
    EXPECT_EQ(dlg.runClicks, 1);
    EXPECT_FALSE(dlg.DispatchCommand(IDC_T_RUN, CBN_SELCHANGE)) << "code must match too";

    dlg.m_spin.SetRange32(0, 100);
    NMUPDOWN notice;
    notice.hdr = {IDC_T_SPIN, UDN_DELTAPOS};
    notice.iPos = 3;
    notice.iDelta = 1;
    dlg.vetoDelta = 7;
    EXPECT_EQ(dlg.Dispatch(WM_NOTIFY, IDC_T_SPIN, reinterpret_cast<LPARAM>(&notice.hdr)), 7);
    EXPECT_EQ(dlg.deltaPos.back(), std::make_pair(3, 1));

    EXPECT_EQ(dlg.SendMessage(WM_T_PRIVATE, 2, 3), 5);
    EXPECT_EQ(dlg.privateThread, std::this_thread::get_id());
    EXPECT_EQ(dlg.SendMessage(WM_USER + 77, 0, 0), 0) << "unmapped messages do nothing";
}

TEST_F(MessagesTest, SendMessageFromAWorkerRunsOnTheUserInterfaceThreadAndWaits) {
    HWND handle = dlg.GetSafeHwnd();
    std::promise<LRESULT> result;
    std::thread worker([&] { result.set_value(SendMessage(handle, WM_T_PRIVATE, 40, 2)); });
    auto future = result.get_future();
    EXPECT_TRUE(uitest::WaitUntil([&] { return future.wait_for(0s) == std::future_status::ready; }));
    worker.join();
    EXPECT_EQ(future.get(), 42);
    EXPECT_EQ(dlg.privateThread, std::this_thread::get_id());
}

TEST(SendMessageTest, ServedWhileAModalDialogRuns) {
    CTestDlg dlg;
    LRESULT sent = -1;
    std::thread worker;
    uitest::ScopedModalDialogHook hook([&](CDialog& modal) {
        HWND handle = modal.GetSafeHwnd();
        std::atomic<bool> done = false;
        worker = std::thread([&, handle] {
            sent = SendMessage(handle, WM_T_PRIVATE, 1, 1);
            done = true;
        });
        EXPECT_TRUE(uitest::WaitUntil([&] { return done.load(); }));
        return IDOK;
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    worker.join();
    EXPECT_EQ(sent, 2);
}

TEST(SendMessageTest, ToADestroyedWindowReturnsZeroAtOnce) {
    CTestDlg dlg;
    ASSERT_TRUE(dlg.Create());
    HWND handle = dlg.GetSafeHwnd();
    dlg.DestroyWindow();
    auto result = std::async(std::launch::async,
                             [handle] { return SendMessage(handle, WM_T_PRIVATE, 1, 1); });
    ASSERT_EQ(result.wait_for(5s), std::future_status::ready);
    EXPECT_EQ(result.get(), 0);
    EXPECT_EQ(SendMessage(HWND(), WM_T_PRIVATE, 1, 1), 0);
    uitest::FlushDeferredDeletes();
}

TEST(SendMessageTest, AWaitingSenderIsReleasedWhenTheWindowGoesUnserved) {
    CTestDlg dlg;
    ASSERT_TRUE(dlg.Create());
    HWND handle = dlg.GetSafeHwnd();
    auto result = std::async(std::launch::async,
                             [handle] { return SendMessage(handle, WM_T_PRIVATE, 1, 1); });
    // Do not serve events: wait until the message is queued, then destroy the window.
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (!uitest::SentMessageWaiting(dlg) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::yield();
    }
    ASSERT_TRUE(uitest::SentMessageWaiting(dlg));
    dlg.DestroyWindow();
    uitest::FlushDeferredDeletes();
    ASSERT_EQ(result.wait_for(5s), std::future_status::ready);
    EXPECT_EQ(result.get(), 0);
    EXPECT_EQ(dlg.privateThread, std::thread::id()) << "the handler never ran";
}

TEST(MessageBoxTest, BoxWithoutOwnerFromAWorkerIsShownOnTheUserInterfaceThread) {
    uitest::MessageBoxRecorder boxes;
    auto result = std::async(std::launch::async,
                             [] { return MessageBoxNoOwner("端口已关闭", nullptr, MB_OK); });
    EXPECT_TRUE(uitest::WaitUntil([&] { return result.wait_for(0s) == std::future_status::ready; }));
    EXPECT_EQ(result.get(), IDOK);
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Last().text, "端口已关闭");
    EXPECT_EQ(boxes.Last().caption, "错误");
    EXPECT_FALSE(boxes.Last().hasOwner);
    EXPECT_EQ(MessageBoxNoOwner("x", "标题"), IDOK);
    EXPECT_EQ(boxes.Last().caption, "标题");
}

TEST_F(MessagesTest, WindowBoxesAreCaptionedWithTheApplicationName) {
    EXPECT_EQ(dlg.MessageBox("读数据错误!"), IDOK);
    EXPECT_EQ(boxes.Last().text, "读数据错误!");
    // The executable's name without its folder or extension.
    EXPECT_EQ(boxes.Last().caption, "ui_tests");
    EXPECT_FALSE(boxes.Last().warningIcon);
    EXPECT_TRUE(boxes.Last().hasOwner);
    dlg.MessageBox("设定值超出范围", nullptr, MB_ICONWARNING);
    EXPECT_TRUE(boxes.Last().warningIcon);
    AfxMessageBox("完成");
    EXPECT_EQ(boxes.Last().caption, AfxGetApp()->AppName());
}

TEST_F(MessagesTest, SystemMenuListsWindowCommandsThenAppendedItems) {
    const std::vector<SystemMenuEntry> items = uitest::SystemMenuItems(dlg);
    std::vector<UINT> ids;
    for (const SystemMenuEntry& e : items) ids.push_back(e.separator ? 0 : e.id);
    ASSERT_GE(ids.size(), 3u);
    // What the dialog appended comes last, after a separator of its own.
    EXPECT_EQ(std::vector<UINT>(ids.end() - 2, ids.end()), (std::vector<UINT>{0, IDM_T_ABOUT}));
    EXPECT_EQ(items.back().text, "关于(&A)...");
    EXPECT_TRUE(items.back().enabled);
    const auto has = [&](UINT id) { return std::count(ids.begin(), ids.end(), id) == 1; };
    EXPECT_TRUE(has(SC_MOVE) && has(SC_MINIMIZE) && has(SC_CLOSE));
#if UITEST_BACKEND_QT
    // Qt's menu is the layer's own: exactly a fixed dialog's commands, in Chinese, and their
    // states set as it opens. Windows keeps its full menu in the system's language and sets
    // the states only while it is open.
    EXPECT_EQ(ids, (std::vector<UINT>{SC_RESTORE, SC_MOVE, SC_MINIMIZE, 0, SC_CLOSE, 0,
                                      IDM_T_ABOUT}));
    EXPECT_EQ(items[0].text, "还原(&R)");
    EXPECT_FALSE(items[0].enabled) << "nothing to restore yet";
#endif
}

TEST_F(MessagesTest, SystemMenuItemsReachTheMapAndDefaultDoesTheWindowCommands) {
    EXPECT_TRUE(uitest::InvokeSystemMenuItem(dlg, IDM_T_ABOUT));
    EXPECT_EQ(dlg.sysCommands, std::vector<UINT>{IDM_T_ABOUT});
    EXPECT_FALSE(uitest::InvokeSystemMenuItem(dlg, 0x7770));

    EXPECT_TRUE(uitest::InvokeSystemMenuItem(dlg, SC_MINIMIZE));
    EXPECT_TRUE(uitest::WaitUntil([&] { return dlg.IsIconic() == TRUE; }));
    EXPECT_TRUE(uitest::InvokeSystemMenuItem(dlg, SC_RESTORE));
    EXPECT_TRUE(uitest::WaitUntil([&] { return dlg.IsIconic() == FALSE; }));
    EXPECT_TRUE(uitest::InvokeSystemMenuItem(dlg, SC_CLOSE));
    EXPECT_EQ(dlg.EndDialogResult(), IDCANCEL);
    EXPECT_EQ(dlg.destroys, 1);
}

TEST_F(MessagesTest, AltSpaceOpensTheSystemMenuAndItsItemsAreChosenByKeyboard) {
    EXPECT_TRUE(uitest::ChooseLastSystemMenuItemByKeyboard(dlg));  // "关于(&A)..."
    EXPECT_TRUE(uitest::WaitUntil([&] {
        return std::count(dlg.sysCommands.begin(), dlg.sysCommands.end(), IDM_T_ABOUT) == 1;
    }));
    EXPECT_TRUE(dlg.IsCreated());
}

}  // namespace
