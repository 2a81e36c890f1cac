#include "record/readings_csv_file.h"

#include "record/readings_csv.h"

bool ReadingsCsvFile::Create(const std::string& path, std::string& error) {
    Close();
    file_ = RecordFile::Create(path, error);
    if (!file_.IsOpen()) return false;
    if (!file_.Append(std::string(kCsvByteOrderMark) + CsvHeaderRecord())) {
        error = "write failed";
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
