#pragma once
// Makes the writes to a file that the program holds open fail from now on, as each platform
// allows: on Linux the file is removed (the recorder refuses to write into a removed file); on
// Windows, where an open file cannot be removed, another program locks the whole file.
#include <string>

class WriteFault {
public:
    explicit WriteFault(const std::string& path);
    ~WriteFault();
    WriteFault(const WriteFault&) = delete;
    WriteFault& operator=(const WriteFault&) = delete;

    bool Armed() const { return armed_; }

private:
    bool armed_ = false;
    void* handle_ = nullptr;  // the locking program's handle, on Windows
};
