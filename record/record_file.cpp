#include "record/record_file.h"

#include "record/record_file_impl.h"

RecordFile::RecordFile() = default;
RecordFile::RecordFile(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
RecordFile::RecordFile(RecordFile&&) noexcept = default;
RecordFile& RecordFile::operator=(RecordFile&&) noexcept = default;
RecordFile::~RecordFile() {
    Close();
}

RecordFile RecordFile::Create(const std::string& path, std::string& error) {
    return Open(path, RecordFileMode::Replace, error);
}

RecordFile RecordFile::Open(const std::string& path, RecordFileMode mode, std::string& error) {
    return RecordFile(CreateRecordFileImpl(path, mode, error));
}

bool RecordFile::IsOpen() const {
    return impl_ != nullptr;
}

bool RecordFile::Append(const std::string& bytes) {
    if (impl_ == nullptr) {
        lastError_ = "文件未打开";
        return false;
    }
    return impl_->Append(bytes, lastError_);
}

void RecordFile::Close() {
    if (impl_ != nullptr) impl_->Close();
    impl_.reset();
}
