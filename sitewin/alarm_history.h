#pragma once
// The journal's history for a range of time, and its export: the records of the range in the
// journal's own CSV form (UTF-8 with a byte-order mark, CR LF, the journal's header).
#include <chrono>
#include <string>
#include <vector>

#include "alarms/alarm_event.h"

struct AlarmHistoryRange {
    std::chrono::system_clock::time_point from;
    std::chrono::system_clock::time_point to;  // excluded
};

// "从" and "到" as the operator types them: a local date (the whole day for 到) or a full
// ISO 8601 time. False with a Chinese `error` for anything else or an empty range.
bool ParseHistoryRange(const std::string& fromText, const std::string& toText,
                       AlarmHistoryRange& range, std::string& error);

// Every record of the journal at `path` within the range, oldest first, each with its alarm's
// id. False with `error` when the journal cannot be read (a missing journal has no records).
bool LoadAlarmHistory(const std::string& path, const AlarmHistoryRange& range,
                      std::vector<AlarmEvent>& records, std::string& error);

std::string AlarmHistoryCsv(const std::vector<AlarmEvent>& records);
bool WriteAlarmHistoryCsv(const std::string& path, const std::vector<AlarmEvent>& records,
                          std::string& error);
