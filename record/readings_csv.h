#pragma once
// The readings CSV: UTF-8 with a byte-order mark, CR LF after every record, 70 fields a record
// (time, status, PT100温度1-4, 温度1-64), no quoting (no field can hold a comma or a quote).
#include <string>

#include "record/reading.h"

constexpr int kCsvFields = 2 + kReadingChannels;
constexpr const char* kCsvByteOrderMark = "\xEF\xBB\xBF";

// A channel's label as the window's lists show it: PT100温度1-4 for 0-3, 温度1-64 for 4-67.
std::string ChannelLabel(int channel);
// The header record, with its CR LF.
std::string CsvHeaderRecord();
// One reading as a record, with its CR LF: values as the window shows them, empty fields for a
// probe the block does not carry and for every value of a failed reading.
std::string CsvRecord(const Reading& reading);
