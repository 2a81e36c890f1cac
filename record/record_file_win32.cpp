#include <windows.h>

#include <cerrno>
#include <string>

#include "link/system_error_text.h"
#include "link/wide_text_win32.h"
#include "record/record_file_impl.h"

namespace {

// The common Windows errors by the C library's names, so both platforms word them alike.
std::string Win32ErrorText(DWORD error) {
    switch (error) {
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL: return SystemErrorText(ENOSPC);
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS: return SystemErrorText(EEXIST);
        case ERROR_ACCESS_DENIED: return SystemErrorText(EACCES);
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND: return SystemErrorText(ENOENT);
        case ERROR_SHARING_VIOLATION: return SystemErrorText(EBUSY);
        default: return "系统错误 " + std::to_string(error);
    }
}

struct Win32RecordFile final : RecordFile::Impl {
    HANDLE file = INVALID_HANDLE_VALUE;
    LARGE_INTEGER size{};  // the end of the last whole record

    ~Win32RecordFile() override { Close(); }

    bool Append(const std::string& bytes, std::string& error) override {
        if (file == INVALID_HANDLE_VALUE) {
            error = SystemErrorText(EBADF);
            return false;
        }
        DWORD done = 0;
        if (WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr) &&
            done == bytes.size()) {
            size.QuadPart += done;
            return true;
        }
        const DWORD reason = GetLastError();
        error = Win32ErrorText(done < bytes.size() && reason == ERROR_SUCCESS ? ERROR_DISK_FULL
                                                                              : reason);
        // Cut the torn record off; if even that fails, the next record must not follow it.
        if (done > 0 && !(SetFilePointerEx(file, size, nullptr, FILE_BEGIN) && SetEndOfFile(file))) {
            Close();
        }
        return false;
    }

    void Close() override {
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
        file = INVALID_HANDLE_VALUE;
    }
};

DWORD Disposition(RecordFileMode mode) {
    switch (mode) {
        case RecordFileMode::Replace: return CREATE_ALWAYS;
        case RecordFileMode::New: return CREATE_NEW;
        case RecordFileMode::Append: return OPEN_ALWAYS;
    }
    return CREATE_ALWAYS;
}

}  // namespace

std::unique_ptr<RecordFile::Impl> CreateRecordFileImpl(const std::string& path, RecordFileMode mode,
                                                       std::string& error) {
    // Readers (a spreadsheet, a script) may open it while it grows.
    HANDLE file = CreateFileW(WideFromUtf8(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              Disposition(mode), FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = Win32ErrorText(GetLastError());
        return nullptr;
    }
    auto impl = std::make_unique<Win32RecordFile>();
    impl->file = file;
    LARGE_INTEGER zero{};
    SetFilePointerEx(file, zero, &impl->size, FILE_END);
    return impl;
}
