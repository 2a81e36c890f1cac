// The dialog layer's Win32 backend on real native windows (run under Wine): data exchange and
// validation, a worker's synchronous messages, the controls, the menu bar's status text and the
// clipboard's two text formats. Backend-bound: it reads the native windows and clipboard.
#include "ui/win32/windows_api.h"

#include <chrono>
#include <functional>
#include <thread>

#include <gtest/gtest.h>

#include "link/text_codec.h"
#include "pt100/log_file.h"
#include "ui/win32/dialog_widget.h"
#include "tests/ui/test_dialog.h"
#include "ui/testing/scoped_hooks.h"

namespace {

// Runs the window's messages until the condition holds or the deadline passes.
bool PumpUntil(const std::function<bool()>& done, std::chrono::seconds limit = std::chrono::seconds(10)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        ::MsgWaitForMultipleObjects(0, nullptr, 0, 10, QS_ALLINPUT);
    }
    return true;
}

class Win32DialogTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dlg.Create()); }
    void TearDown() override { dlg.DestroyWindow(); }
    NativeHwnd Item(int id) { return ::GetDlgItem(dlg.GetWidget(), id); }
    std::string Text(int id) { return dlg.GetDlgItem(id)->GetWindowText(); }

    uitest::MessageBoxRecorder boxes;
    CTestDlg dlg;
};

TEST_F(Win32DialogTest, DataExchangeFillsTheControlsAndValidatesWhatWasTyped) {
    EXPECT_EQ(Text(IDC_T_PORT), "1");
    EXPECT_EQ(Text(IDC_T_NAME), "探头");
    EXPECT_EQ(Text(IDC_T_BAUD), "9600");
    EXPECT_EQ(::SendMessageW(Item(IDC_T_MODE_A), BM_GETCHECK, 0, 0), BST_CHECKED);

    dlg.GetDlgItem(IDC_T_PORT)->SetWindowText(" 7 ");
    dlg.GetDlgItem(IDC_T_NAME)->SetWindowText("三号仓");
    ::SendMessageW(Item(IDC_T_MODE_C), BM_CLICK, 0, 0);
    ASSERT_TRUE(dlg.UpdateData(TRUE));
    EXPECT_EQ(dlg.m_port, 7);
    EXPECT_EQ(dlg.m_name, "三号仓");
    EXPECT_EQ(dlg.m_mode, 2);
    EXPECT_GE(dlg.nameChanges, 1);

    // Not a number: the framework's message, owned by the dialog; the member keeps its value.
    dlg.GetDlgItem(IDC_T_PORT)->SetWindowText("7x");
    EXPECT_FALSE(dlg.UpdateData(TRUE));
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Last().text, "请输入一个整数。");
    EXPECT_TRUE(boxes.Last().hasOwner);
    EXPECT_EQ(dlg.m_port, 7);
}

TEST_F(Win32DialogTest, AWorkersSendMessageRunsOnTheWindowsThreadAndWaits) {
    const HWND window = dlg.GetSafeHwnd();
    LRESULT result = 0;
    bool finished = false;
    std::thread worker([&] {
        result = SendMessage(window, WM_T_PRIVATE, 5, 6);
        finished = true;
    });
    const bool ran = PumpUntil([&] { return finished; });
    worker.join();
    ASSERT_TRUE(ran);
    EXPECT_EQ(dlg.privateThread, std::this_thread::get_id());
    EXPECT_EQ(result, 11);

    // Once the window is gone, a send is dropped at once.
    dlg.DestroyWindow();
    EXPECT_FALSE(IsWindow(window));
    std::thread late([&] { result = SendMessage(window, WM_T_PRIVATE, 1, 2); });
    late.join();
    EXPECT_EQ(result, 0);
}

TEST_F(Win32DialogTest, ListsCombosAndTheUpDownControlKeepWhatTheyAreGiven) {
    dlg.m_list.InsertColumn(0, "内容", LVCFMT_LEFT, 60);
    dlg.m_list.InsertColumn(1, "值", LVCFMT_LEFT, 40);
    EXPECT_EQ(dlg.m_list.InsertItem(0, "温度1"), 0);
    EXPECT_TRUE(dlg.m_list.SetItemText(0, 1, "23.5"));
    EXPECT_EQ(dlg.m_list.GetItemText(0, 0), "温度1");
    EXPECT_EQ(dlg.m_list.GetItemText(0, 1), "23.5");
    EXPECT_EQ(dlg.m_list.GetColumnHeading(1), "值");
    EXPECT_EQ(dlg.m_list.GetItemCount(), 1);

    EXPECT_EQ(dlg.m_log.AddString("第一行"), 0);
    EXPECT_EQ(dlg.m_log.InsertString(0, "第零行"), 0);
    EXPECT_EQ(dlg.m_log.GetText(1), "第一行");
    EXPECT_EQ(dlg.m_log.DeleteString(0), 1);

    EXPECT_EQ(dlg.m_channel.GetCount(), 4);
    EXPECT_EQ(dlg.m_channel.SelectString(-1, "3"), 2);
    EXPECT_EQ(dlg.m_channel.GetLBText(2), "3");

    dlg.m_spin.SetRange32(-50, 50);
    dlg.m_spin.SetPos32(80);  // clamped to the range, as the control does
    EXPECT_EQ(dlg.m_spin.GetPos32(), 50);
    int lower = 0, upper = 0;
    dlg.m_spin.GetRange32(lower, upper);
    EXPECT_EQ(lower, -50);
    EXPECT_EQ(upper, 50);
}

TEST_F(Win32DialogTest, TheMenuBarsStatusTextStandsAtItsRightEndAndGoesWhenEmpty) {
    CMenuBar bar;
    bar.AppendPopup("记录(&R)").AppendMenu(MF_STRING, 40001, "开始记录(&S)...");
    RECT before{};
    ::GetClientRect(dlg.GetWidget(), &before);
    ASSERT_TRUE(bar.SetMenu(dlg));
    RECT after{};
    ::GetClientRect(dlg.GetWidget(), &after);
    EXPECT_EQ(after.bottom - after.top, before.bottom - before.top) << "controls keep their room";
    HMENU menu = ::GetMenu(dlg.GetWidget());
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(::GetMenuItemCount(menu), 1);

    bar.SetStatusText(40100, "记录中: a.csv (3 行)");
    ASSERT_EQ(::GetMenuItemCount(menu), 2);
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_ID;
    ASSERT_TRUE(::GetMenuItemInfoW(menu, 1, TRUE, &info));
    EXPECT_NE(info.fType & MFT_RIGHTJUSTIFY, 0u);
    EXPECT_EQ(info.wID, 40100u);
    bar.SetStatusText(40100, "记录中: a.csv (4 行)");
    EXPECT_EQ(::GetMenuItemCount(menu), 2);
    bar.SetStatusText(40100, "");
    EXPECT_EQ(::GetMenuItemCount(menu), 1);

    EXPECT_EQ(bar.EnableMenuItem(40001, MF_GRAYED), static_cast<int>(MF_ENABLED));
    EXPECT_NE(::GetMenuState(menu, 40001, MF_BYCOMMAND) & kNativeMfGrayed, 0u);
}

TEST(Win32Clipboard, TextGoesAsUnicodeAndAsCodePage936WhateverTheSystemsCodePage) {
    const std::string line = "SN号1: 28 FF 6A 01 温度";
    ASSERT_TRUE(SetClipboardText(line));
    EXPECT_EQ(GetClipboardText(), line);
    ASSERT_TRUE(::OpenClipboard(nullptr));
    HANDLE data = ::GetClipboardData(CF_TEXT);
    ASSERT_NE(data, nullptr);
    const std::string bytes(static_cast<const char*>(::GlobalLock(data)));
    ::GlobalUnlock(data);
    ::CloseClipboard();
    EXPECT_EQ(bytes, Utf8ToGbk(line));
}

TEST(Win32Dialog, AModalRunEndsWithTheValueGivenToEndDialog) {
    uitest::ScopedModalDialogHook hook([](CDialog& dialog) {
        EXPECT_TRUE(dialog.IsWindowVisible());
        dialog.EndDialog(IDOK);
        return *dialog.EndDialogResult();
    });
    CTestDlg dlg;
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_FALSE(dlg.IsCreated());
    EXPECT_EQ(dlg.destroys, 1);
}

}  // namespace

namespace {

// The frame log is saved in code page 936 under a Chinese folder name, whatever the system's
// ANSI code page (a Western Windows has 1252, so the narrow API would miss the folder).
TEST(Win32Files, ACode936LogLandsInAChineseFolder) {
    wchar_t temp[MAX_PATH];
    ASSERT_GT(::GetTempPathW(MAX_PATH, temp), 0u);
    const std::wstring folder = std::wstring(temp) + L"测试目录";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring file = folder + L"\\日志.txt";
    ::DeleteFileW(file.c_str());
    const std::string text = "温度1: 23.5\n读取成功!\n";
    ASSERT_TRUE(WriteGbkTextFile(Utf8(file), text));

    std::FILE* in = ::_wfopen(file.c_str(), L"rb");
    ASSERT_NE(in, nullptr);
    std::string bytes;
    char buffer[256];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, in)) > 0;) bytes.append(buffer, n);
    std::fclose(in);
    EXPECT_EQ(bytes, ToCrLf(Utf8ToGbk(text)));
    ::DeleteFileW(file.c_str());
    ::RemoveDirectoryW(folder.c_str());
}

}  // namespace
