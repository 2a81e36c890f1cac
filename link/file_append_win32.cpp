#include <windows.h>

#include <cstdio>
#include <ctime>
#include <vector>

#include "link/file_append.h"
#include "link/wide_text_win32.h"

bool AppendToRegularFile(const std::string& path, const std::string& bytes) {
    // Open the reparse point itself rather than what it points to, then refuse anything that is
    // not a plain file on disk.
    HANDLE file = CreateFileW(WideFromUtf8(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool regular =
        GetFileType(file) == FILE_TYPE_DISK && GetFileInformationByHandle(file, &info) &&
        (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0;
    DWORD done = 0;
    if (regular && !bytes.empty()) {
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
    }
    CloseHandle(file);
    return done > 0;
}

std::string LocalTimeOfDay() {
    SYSTEMTIME local{};
    GetLocalTime(&local);
    char text[16];
    std::snprintf(text, sizeof text, "%02u:%02u:%02u", static_cast<unsigned>(local.wHour),
                  static_cast<unsigned>(local.wMinute), static_cast<unsigned>(local.wSecond));
    return text;
}

std::string CurrentDirectory() {
    // Wide, so that a start directory with Chinese in its name survives as UTF-8.
    const DWORD needed = GetCurrentDirectoryW(0, nullptr);
    if (needed == 0) return {};
    std::vector<wchar_t> buffer(needed + 1);
    const DWORD length = GetCurrentDirectoryW(static_cast<DWORD>(buffer.size()), buffer.data());
    if (length == 0 || length >= buffer.size()) return {};
    std::string dir = Utf8FromWide(std::wstring(buffer.data(), length));
    while (!dir.empty() && (dir.back() == '\\' || dir.back() == '/')) dir.pop_back();
    return dir;
}

char PathSeparator() {
    return '\\';
}
