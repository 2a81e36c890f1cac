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
    // False when the record could not be written whole; the file stays open for Close.
    bool Append(const Reading& reading);
    void Close();

    bool IsOpen() const { return file_.IsOpen(); }
    // Records written after the header.
    long long Records() const { return records_; }

private:
    RecordFile file_;
    long long records_ = 0;
};
