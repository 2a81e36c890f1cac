#pragma once
// The alarm journal: every change of every alarm, one CSV record each, beside the site file
// (UTF-8 with a byte-order mark, CR LF). Each record reaches the operating system in one write
// before the change is shown anywhere, so a killed program loses nothing it reported.
//
// The records carry no id: an alarm's id is its place among the alarms the journal raised
// (the first alarm is 1). Replaying the journal gives every reader the same ids.
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "alarms/alarm_event.h"

constexpr const char* kAlarmJournalHeader = "时间,总线,地址,模块,通道,名称,类别,值,限值,状态,用户";

// `<site file name without extension>-报警.csv` in the site file's folder.
std::string AlarmJournalPathFor(const std::string& sitePath);

class AlarmJournal {
public:
    explicit AlarmJournal(std::string path) : path_(std::move(path)) {}
    const std::string& Path() const { return path_; }

    // Appends the change as one record (a new file gets the byte-order mark and the header in
    // the same write). False, with the reason in `error`, unless the whole record was written.
    bool Append(const AlarmEvent& event, std::string& error);
    // Every record, in file order, without ids. A missing file is an empty journal; a record
    // that does not parse (a torn last line) is skipped.
    bool Load(std::vector<AlarmEvent>& records, std::string& error) const;

private:
    std::string path_;
};

// One alarm as the journal tells it.
struct JournalAlarm {
    AlarmEvent raised;  // the record that raised it, with its id
    AlarmEvent latest;  // its latest change
    std::string acknowledgedBy;
    std::chrono::system_clock::time_point acknowledgedAt;
};

struct JournalReplay {
    std::vector<JournalAlarm> alarms;  // by id
    std::uint64_t nextId = 1;
    // The latest change of every alarm that is not normal.
    std::vector<AlarmEvent> Open() const;
};
// Also gives every record its alarm's id (0 for a stale record that belongs to none).
JournalReplay ReplayJournal(std::vector<AlarmEvent>& records);

// The record with its CR LF, and back. A record's channel is written as its CSV label.
std::string AlarmJournalRecord(const AlarmEvent& event);
bool ParseAlarmJournalRecord(const std::string& line, AlarmEvent& event);
