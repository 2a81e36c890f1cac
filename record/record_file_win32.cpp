#include <windows.h>

#include <string>

#include "record/record_file_impl.h"

namespace {

std::wstring Wide(const std::string& utf8) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                      nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) {
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                            n);
    }
    return wide;
}

struct Win32RecordFile final : RecordFile::Impl {
    HANDLE file = INVALID_HANDLE_VALUE;

    ~Win32RecordFile() override { Close(); }

    bool Append(const std::string& bytes) override {
        DWORD done = 0;
        return file != INVALID_HANDLE_VALUE &&
               WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr) &&
               done == bytes.size();
    }

    void Close() override {
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
        file = INVALID_HANDLE_VALUE;
    }
};

}  // namespace

std::unique_ptr<RecordFile::Impl> CreateRecordFileImpl(const std::string& path, std::string& error) {
    // Readers (a spreadsheet, a script) may open it while it grows.
    HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = "error " + std::to_string(GetLastError());
        return nullptr;
    }
    auto impl = std::make_unique<Win32RecordFile>();
    impl->file = file;
    return impl;
}
