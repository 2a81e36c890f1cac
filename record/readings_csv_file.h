#pragma once
// A readings CSV being recorded: the byte-order mark and header when it is created, then one
// record per reading, each handed to the operating system at once.
#include <string>

#include "record/reading.h"
#include "record/record_file.h"

class ReadingsCsvFile {
public:
    // False with the system's reason in `error` when the file cannot be created.
    bool Create(const std::string& path, std::string& error);
    // The same, an existing file treated as `mode` says. Append continues a readings CSV whose
    // header is this one and whose last record is whole (a file still empty gets the header).
    bool Open(const std::string& path, RecordFileMode mode, std::string& error);
    // Whether the file at `path` can be continued, read only: empty `error` when so.
    static bool CanContinue(const std::string& path, std::string& error);
    // False when the record could not be written whole (nothing of it stays in the file); the
    // file stays open for Close. LastError() says why.
    bool Append(const Reading& reading);
    const std::string& LastError() const { return file_.LastError(); }
    void Close();

    bool IsOpen() const { return file_.IsOpen(); }
    // Records written after the header.
    long long Records() const { return records_; }

private:
    RecordFile file_;
    long long records_ = 0;
};
