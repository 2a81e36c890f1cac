#pragma once
#include <memory>
#include <string>

#include "record/record_file.h"

// The platform's open file; the backends define it.
struct RecordFile::Impl {
    virtual ~Impl() = default;
    virtual bool Append(const std::string& bytes) = 0;
    virtual void Close() = 0;
};

// Null on failure, with the reason in `error`.
std::unique_ptr<RecordFile::Impl> CreateRecordFileImpl(const std::string& path, std::string& error);
