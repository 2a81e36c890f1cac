#include <windows.h>

#include <cstdlib>

#include "sitewin/alarm_bell.h"

namespace {

// An environment variable in UTF-8 (a user's folder may have any name); empty when unset.
std::string EnvironmentUtf8(const wchar_t* name) {
    wchar_t value[MAX_PATH * 2];
    const DWORD length = GetEnvironmentVariableW(name, value, MAX_PATH * 2);
    if (length == 0 || length >= MAX_PATH * 2) return {};
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, value, static_cast<int>(length), nullptr, 0,
                                          nullptr, nullptr);
    std::string text(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, value, static_cast<int>(length), text.data(), bytes, nullptr,
                        nullptr);
    return text;
}

}  // namespace

void SoundAlarmBell() { MessageBeep(MB_ICONWARNING); }

std::string AlarmSettingsDir() {
    const std::string dir = EnvironmentUtf8(L"K7R2_CONFIG_DIR");
    if (!dir.empty()) return dir;
    const std::string appData = EnvironmentUtf8(L"APPDATA");
    return (appData.empty() ? std::string(".") : appData) + "\\k7r2";
}
