#pragma once
// A file that records are appended to one at a time, each handed to the operating system as
// it is written, so that a killed process loses at most the record in flight.
#include <memory>
#include <string>

// How an existing file at the path is treated.
enum class RecordFileMode {
    Replace,  // emptied
    New,      // refused ("文件已存在 (EEXIST)")
    Append,   // continued at its end
};

class RecordFile {
public:
    struct Impl;

    RecordFile();
    RecordFile(RecordFile&&) noexcept;
    RecordFile& operator=(RecordFile&&) noexcept;
    RecordFile(const RecordFile&) = delete;
    RecordFile& operator=(const RecordFile&) = delete;
    ~RecordFile();

    // Creates or empties the regular file at `path` (UTF-8; a symbolic link in its place is
    // refused). On failure returns a closed file and puts the system's reason into `error`.
    static RecordFile Create(const std::string& path, std::string& error);
    // The same, with the existing file treated as `mode` says; a missing one is created.
    static RecordFile Open(const std::string& path, RecordFileMode mode, std::string& error);

    bool IsOpen() const;
    // Writes the bytes whole. False when they could not all be written, or when the file is
    // no longer reachable by its name (removed while recording). A write that fails part-way
    // is taken back, so the file never ends in a torn record that a later write would complete.
    bool Append(const std::string& bytes);
    // Why the last Append failed, in Chinese with the system's error name.
    const std::string& LastError() const { return lastError_; }
    void Close();

private:
    explicit RecordFile(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
    std::string lastError_;
};
