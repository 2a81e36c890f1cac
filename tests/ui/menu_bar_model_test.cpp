// The menu bar's own state, kept the same whether or not a window shows it yet.
#include <gtest/gtest.h>

#include "ui/menu_bar.h"

namespace {

constexpr UINT kStart = 40001, kStop = 40002, kAbout = 40010;

TEST(MenuBarModel, GrayingBeforeTheBarIsShownIsKeptAndReportsThePreviousState) {
    CMenuBar bar;
    CMenu& record = bar.AppendPopup("记录(&R)");
    record.AppendMenu(MF_STRING, kStart, "开始记录(&S)...");
    record.AppendMenu(MF_SEPARATOR);
    record.AppendMenu(MF_STRING, kStop, "停止记录(&T)");
    bar.AppendPopup("帮助(&H)").AppendMenu(MF_STRING, kAbout, "关于(&A)...");

    EXPECT_EQ(bar.EnableMenuItem(kStop, MF_GRAYED), static_cast<int>(MF_ENABLED));
    EXPECT_EQ(bar.EnableMenuItem(kStop, MF_GRAYED), static_cast<int>(MF_GRAYED));
    EXPECT_FALSE(bar.IsMenuItemEnabled(kStop));
    EXPECT_TRUE(bar.IsMenuItemEnabled(kStart));
    EXPECT_EQ(bar.EnableMenuItem(kStop, MF_ENABLED), static_cast<int>(MF_GRAYED));
    EXPECT_TRUE(bar.IsMenuItemEnabled(kStop));
    // An id on no item is refused and grays nothing.
    EXPECT_EQ(bar.EnableMenuItem(49999, MF_GRAYED), -1);
    EXPECT_TRUE(bar.IsMenuItemEnabled(kAbout));
}

}  // namespace
