#pragma once
// A registration file read line by line as code page 936 text with CR LF line ends.
#include <cstdio>
#include <string>

class RegistrationFile {
public:
    RegistrationFile() = default;
    RegistrationFile(const RegistrationFile&) = delete;
    RegistrationFile& operator=(const RegistrationFile&) = delete;
    ~RegistrationFile();

    // False when the file cannot be opened for reading. The path is UTF-8, also on Windows.
    bool Open(const std::string& path);
    // The next line with its line feed (the last line may have none), CR LF read as LF, in
    // UTF-8. A line is always one whole line of the file; only its first kKeptLength bytes are
    // kept, far more than the layout needs. False at the end of the file.
    bool NextLine(std::string& line);

    static constexpr std::size_t kKeptLength = 1023;

private:
    std::FILE* file_ = nullptr;
};
