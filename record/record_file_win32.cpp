#include <windows.h>

#include <string>

#include "link/wide_text_win32.h"
#include "record/record_file_impl.h"

namespace {

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
    HANDLE file = CreateFileW(WideFromUtf8(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
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
