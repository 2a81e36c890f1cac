// The site window on native Win32 windows (run under Wine): it opens a site file, fills its
// tables, and a channel's name edited in place in the list view is written to the site file
// with the rest of the file as it was.
#include "ui/win32/windows_api.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>

#include "res/resource.h"
#include "sitewin/site_dlg.h"
#include "ui/testing/scoped_hooks.h"
#include "ui/win32/native_text.h"

namespace {

const char* const kSite = R"(# 试验站点
name = "试验站"

[[bus]]
port = 4          # 总线
period_ms = 1000

  [[bus.module]]
  address = 3
  name = "3号仓"   # 北边

  [[bus.module]]
  address = 1
  name = "1号仓"
)";

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class SiteWindowWin32Test : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = std::filesystem::temp_directory_path() /
                  ("k7r2-site-" + std::to_string(::GetCurrentProcessId()));
        std::filesystem::create_directories(folder_);
        path_ = folder_ / "site.toml";
        std::ofstream(path_, std::ios::binary) << kSite;
        ASSERT_TRUE(site_.Create());
        const std::u8string utf8 = path_.u8string();
        ASSERT_TRUE(site_.OpenSite(std::string(utf8.begin(), utf8.end())));
    }
    void TearDown() override {
        if (site_.IsCreated()) site_.DestroyWindow();
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    NativeHwnd Item(int id) { return ::GetDlgItem(site_.GetWidget(), id); }
    std::string Cell(int id, int row, int column) {
        wchar_t text[256] = {};
        LVITEMW item{};
        item.iSubItem = column;
        item.pszText = text;
        item.cchTextMax = 256;
        ::SendMessageW(Item(id), LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                       reinterpret_cast<LPARAM>(&item));
        return Utf8(text);
    }

    uitest::MessageBoxRecorder boxes;
    std::filesystem::path folder_;
    std::filesystem::path path_;
    CSiteDlg site_{"", nullptr};
};

TEST_F(SiteWindowWin32Test, OpensASiteAndSavesAChannelNameEditedInPlace) {
    EXPECT_EQ(::SendMessageW(Item(IDC_SITE_MODULES), LVM_GETITEMCOUNT, 0, 0), 2);
    EXPECT_EQ(Cell(IDC_SITE_MODULES, 0, 2), "1号仓");  // ascending addresses
    EXPECT_EQ(Cell(IDC_SITE_MODULES, 1, 3), "未读");
    ASSERT_EQ(::SendMessageW(Item(IDC_SITE_CHANNELS), LVM_GETITEMCOUNT, 0, 0), 68);
    EXPECT_EQ(Cell(IDC_SITE_CHANNELS, 5, 0), "温度2");

    // What F2 does: the list view opens its edit on the row; Enter there ends the edit.
    ::SetFocus(Item(IDC_SITE_CHANNELS));
    const auto editor = reinterpret_cast<NativeHwnd>(
        ::SendMessageW(Item(IDC_SITE_CHANNELS), LVM_EDITLABELW, 5, 0));
    ASSERT_NE(editor, nullptr);
    ::SetWindowTextW(editor, Wide("东墙-2米").c_str());
    ::SendMessageW(editor, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(Cell(IDC_SITE_CHANNELS, 5, 0), "东墙-2米");
    EXPECT_EQ(Cell(IDC_SITE_CHANNELS, 5, 1), "温度2");
    EXPECT_EQ(boxes.Count(), 0u);

    std::string expected = kSite;
    const std::string module = "name = \"1号仓\"\n";
    expected.replace(expected.find(module), module.size(),
                     module + "  [bus.module.channels]\n  \"温度2\" = \"东墙-2米\"\n");
    EXPECT_EQ(ReadAll(path_), expected);
}

}  // namespace
