#pragma once
#include <memory>
#include <string>

#include "record/record_file.h"

// The platform's open file; the backends define it.
struct RecordFile::Impl {
    virtual ~Impl() = default;
    // False with the reason in `error`; a partly written record is taken back first.
    virtual bool Append(const std::string& bytes, std::string& error) = 0;
    virtual void Close() = 0;
};

// Null on failure, with the reason in `error`.
std::unique_ptr<RecordFile::Impl> CreateRecordFileImpl(const std::string& path, RecordFileMode mode,
                                                       std::string& error);
