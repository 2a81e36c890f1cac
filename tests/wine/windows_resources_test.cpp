// The window program's resources at work: this executable carries the same icon, manifest and
// version as k7r2-console.exe (packaging/windows), and Windows must act on them.
#include <gtest/gtest.h>

#include <windows.h>
#include <cwctype>

#include <string>

namespace {

std::wstring VersionString(const wchar_t* name) {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path, &ignored);
    if (size == 0) return L"<no version resource>";
    std::string block(size, '\0');
    if (!GetFileVersionInfoW(path, 0, size, block.data())) return L"<unreadable>";
    void* value = nullptr;
    UINT length = 0;
    const std::wstring key = std::wstring(L"\\StringFileInfo\\080404b0\\") + name;
    if (!VerQueryValueW(block.data(), key.c_str(), &value, &length) || length == 0) return L"<none>";
    return static_cast<const wchar_t*>(value);
}

}  // namespace

TEST(WindowsResources, TheManifestBringsCommonControls6AndPerMonitorDpiAwareness) {
    // Version 6 of the common controls comes from the side-by-side store, where only the
    // manifest's dependency leads the load; without it the system's version 5 loads.
    HMODULE comctl = LoadLibraryW(L"comctl32.dll");
    ASSERT_NE(comctl, nullptr);
    wchar_t path[MAX_PATH];
    ASSERT_GT(GetModuleFileNameW(comctl, path, MAX_PATH), 0u);
    std::wstring lower(path);
    for (wchar_t& c : lower) c = static_cast<wchar_t>(towlower(c));
    EXPECT_NE(lower.find(L"\\winsxs\\"), std::wstring::npos) << "comctl32 from " << lower;
    EXPECT_NE(lower.find(L"common-controls_6595b64144ccf1df_6."), std::wstring::npos)
        << "comctl32 from " << lower;

    // Drawn at the monitor's own scale, not stretched by the system. (Wine reports this for
    // every program; Windows only for one whose manifest asks for it.)
    EXPECT_EQ(GetAwarenessFromDpiAwarenessContext(GetThreadDpiAwarenessContext()),
              DPI_AWARENESS_PER_MONITOR_AWARE);
}

TEST(WindowsResources, TheIconAndTheVersionAreThere) {
    HANDLE icon = LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(K7R2_ICON_ID), IMAGE_ICON,
                             32, 32, 0);
    EXPECT_NE(icon, nullptr) << "no icon " << K7R2_ICON_ID;
    if (icon != nullptr) DestroyIcon(static_cast<HICON>(icon));

    EXPECT_EQ(VersionString(L"ProductVersion"), L"" K7R2_VERSION);
    EXPECT_EQ(VersionString(L"ProductName"), L"QEV-K7R2 温度循检仪测试软件");
}
