#include "alarms/journal_append.h"
#include "link/wide_text_win32.h"

bool AppendJournalRecord(const std::string& path, const std::string& header,
                         const std::string& record, std::string& error) {
    // FILE_APPEND_DATA alone: every write goes to the end, also with another writer on the file.
    const HANDLE file = CreateFileW(WideFromUtf8(path).c_str(), FILE_APPEND_DATA,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT,
                                    nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = "无法打开文件 (错误 " + std::to_string(GetLastError()) + ")";
        return false;
    }
    LARGE_INTEGER size{};
    if (GetFileType(file) != FILE_TYPE_DISK || !GetFileSizeEx(file, &size)) {
        CloseHandle(file);
        error = "不是普通文件";
        return false;
    }
    const std::string bytes = size.QuadPart == 0 ? header + record : record;
    DWORD written = 0;
    const bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                              nullptr) != 0;
    const DWORD code = GetLastError();
    CloseHandle(file);
    if (!ok || written != bytes.size()) {
        error = "写入失败 (错误 " + std::to_string(code) + ")";
        return false;
    }
    return true;
}
