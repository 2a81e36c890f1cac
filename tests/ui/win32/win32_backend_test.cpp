// Win32-bound parts of the dialog layer on real native windows (run under Wine), beside the
// tests both backends share: the menu bar's status item, the clipboard's code page 936 text and
// code page 936 files under a Chinese path. Backend-bound: each reads what only Windows has.
#include "ui/win32/windows_api.h"

#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "link/text_codec.h"
#include "pt100/log_file.h"
#include "tests/ui/dialog_fixture.h"
#include "ui/win32/native_text.h"

namespace {

using Win32DialogTest = DialogTest;

// Win32-bound: a native menu bar's right-justified item (Qt's bar: tests/console/menu_bar_test).
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

// Win32-bound: only Windows' clipboard keeps a code page text beside the Unicode one.
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

// Win32-bound: the wide file API and the system's ANSI code page.
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
