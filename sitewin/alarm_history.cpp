#include "sitewin/alarm_history.h"

#include <filesystem>
#include <fstream>

#include "alarms/alarm_journal.h"
#include "alarms/iso_time.h"
#include "record/local_time.h"
#include "record/readings_csv.h"

namespace {

bool IsDate(const std::string& text) { return text.size() == 10; }

// The start of the local day after the one `day` begins (days are not always 24 hours).
std::optional<std::chrono::system_clock::time_point> NextDay(std::chrono::system_clock::time_point day) {
    return ParseIsoTime(IsoLocalTime(day + std::chrono::hours(36)).substr(0, 10));
}

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace

bool ParseHistoryRange(const std::string& fromText, const std::string& toText,
                       AlarmHistoryRange& range, std::string& error) {
    const std::string fromWord = Trimmed(fromText);
    const std::string toWord = Trimmed(toText);
    const auto from = ParseIsoTime(fromWord);
    auto to = ParseIsoTime(toWord);
    if (!from) {
        error = "起始时间有误, 应如 2026-12-01: " + fromWord;
        return false;
    }
    if (to && IsDate(toWord)) to = NextDay(*to);
    if (!to) {
        error = "结束时间有误, 应如 2026-12-07: " + toWord;
        return false;
    }
    if (*to <= *from) {
        error = "结束时间须晚于起始时间!";
        return false;
    }
    range = {*from, *to};
    return true;
}

bool LoadAlarmHistory(const std::string& path, const AlarmHistoryRange& range,
                      std::vector<AlarmEvent>& records, std::string& error) {
    std::vector<AlarmEvent> all;
    if (!AlarmJournal(path).Load(all, error)) return false;
    ReplayJournal(all);  // gives every record its alarm's id
    records.clear();
    for (const AlarmEvent& record : all) {
        if (record.time >= range.from && record.time < range.to) records.push_back(record);
    }
    return true;
}

std::string AlarmHistoryCsv(const std::vector<AlarmEvent>& records) {
    std::string text = std::string(kCsvByteOrderMark) + kAlarmJournalHeader + "\r\n";
    for (const AlarmEvent& record : records) text += AlarmJournalRecord(record);
    return text;
}

bool WriteAlarmHistoryCsv(const std::string& path, const std::vector<AlarmEvent>& records,
                          std::string& error) {
    std::ofstream out(std::filesystem::u8path(path), std::ios::binary | std::ios::trunc);
    const std::string text = AlarmHistoryCsv(records);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    if (!out) {
        error = "无法写入文件 " + path;
        return false;
    }
    return true;
}
