#include "record/readings_csv_file.h"

#include <cstdio>
#include <memory>

#include "link/fopen_utf8.h"
#include "record/readings_csv.h"

namespace {

// The file's length, 0 for a file that is empty or cannot be read.
long FileLength(std::FILE* file) {
    if (std::fseek(file, 0, SEEK_END) != 0) return 0;
    return std::ftell(file);
}

}  // namespace

bool ReadingsCsvFile::Create(const std::string& path, std::string& error) {
    return Open(path, RecordFileMode::Replace, error);
}

bool ReadingsCsvFile::CanContinue(const std::string& path, std::string& error) {
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(FopenUtf8(path, "rb"), &std::fclose);
    if (!file) return true;  // a missing file is simply started
    const long length = FileLength(file.get());
    if (length <= 0) return true;
    const std::string header = std::string(kCsvByteOrderMark) + CsvHeaderRecord();
    std::string head(header.size(), '\0');
    std::rewind(file.get());
    const std::size_t got = std::fread(head.data(), 1, head.size(), file.get());
    if (got != head.size() || head != header) {
        error = "不是温度记录 CSV (表头不同), 不能续写";
        return false;
    }
    char tail[2] = {};
    if (std::fseek(file.get(), length - 2, SEEK_SET) != 0 ||
        std::fread(tail, 1, 2, file.get()) != 2 || tail[0] != '\r' || tail[1] != '\n') {
        error = "最后一条记录不完整, 不能续写";
        return false;
    }
    return true;
}

bool ReadingsCsvFile::Open(const std::string& path, RecordFileMode mode, std::string& error) {
    Close();
    if (mode == RecordFileMode::Append && !CanContinue(path, error)) return false;
    file_ = RecordFile::Open(path, mode, error);
    if (!file_.IsOpen()) return false;
    // A continued file already has its header, unless it is still empty.
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> existing(
        mode == RecordFileMode::Append ? FopenUtf8(path, "rb") : nullptr, &std::fclose);
    if (existing && FileLength(existing.get()) > 0) return true;
    if (!file_.Append(std::string(kCsvByteOrderMark) + CsvHeaderRecord())) {
        error = file_.LastError();
        Close();
        return false;
    }
    return true;
}

bool ReadingsCsvFile::Append(const Reading& reading) {
    if (!file_.Append(CsvRecord(reading))) return false;
    ++records_;
    return true;
}

void ReadingsCsvFile::Close() {
    file_.Close();
    records_ = 0;
}
