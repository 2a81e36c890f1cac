#pragma once
// A registration file read line by line as code page 936 text with CR LF line ends, or, when
// asked to recognise it, as UTF-8 after a byte-order mark (what Windows Notepad writes).
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
    // The same, and false as well for a directory or an empty file; `error` says why, in
    // Chinese with the system's error name.
    bool Open(const std::string& path, std::string& error);
    // Before Open: a file that starts with the UTF-8 byte-order mark is read as UTF-8, the mark
    // skipped. Without this the mark is part of the first line, as the window reads it.
    void RecogniseUtf8ByteOrderMark() { recogniseBom_ = true; }
    bool IsUtf8() const { return utf8_; }
    // The next line with its line feed (the last line may have none), CR LF read as LF, in
    // UTF-8. A line is always one whole line of the file; only its first kKeptLength bytes are
    // kept, far more than the layout needs. False at the end of the file.
    bool NextLine(std::string& line);

    static constexpr std::size_t kKeptLength = 1023;

private:
    std::FILE* file_ = nullptr;
    bool recogniseBom_ = false;
    bool utf8_ = false;
};
