#include "tests/console/write_fault.h"

#include <windows.h>

#include "link/wide_text_win32.h"

WriteFault::WriteFault(const std::string& path) {
    // Shared with the program's own handle, which writes and lets others read.
    HANDLE file = CreateFileW(WideFromUtf8(path).c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    handle_ = file;
    OVERLAPPED from{};
    armed_ = LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD,
                        MAXDWORD, &from) != 0;
}

WriteFault::~WriteFault() {
    if (handle_ != nullptr) CloseHandle(static_cast<HANDLE>(handle_));
}
