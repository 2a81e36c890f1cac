#include "alarms/alarm_journal.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <map>
#include <tuple>

#include "alarms/iso_time.h"
#include "alarms/journal_append.h"
#include "link/fopen_utf8.h"
#include "record/local_time.h"
#include "record/readings_csv.h"

namespace {

constexpr int kFields = 11;

std::string Quoted(const std::string& field) {
    if (field.find_first_of(",\"\r\n") == std::string::npos) return field;
    std::string quoted = "\"";
    for (const char c : field) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

// A plain number: no exponent, no trailing zeros; empty for NaN.
std::string Number(double value) {
    if (std::isnan(value)) return {};
    char text[64];
    std::snprintf(text, sizeof text, "%.4f", value);
    std::string number = text;
    while (number.back() == '0') number.pop_back();
    if (number.back() == '.') number.pop_back();
    return number;
}

std::vector<std::string> SplitFields(const std::string& line) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c != '"') {
                fields.back() += c;
            } else if (i + 1 < line.size() && line[i + 1] == '"') {
                fields.back() += '"';
                ++i;
            } else {
                quoted = false;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    return fields;
}

bool ParseInt(const std::string& text, int& value) {
    const auto [at, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return !text.empty() && ec == std::errc() && at == text.data() + text.size();
}

bool ParseNumber(const std::string& text, double& value) {
    if (text.empty()) {
        value = std::numeric_limits<double>::quiet_NaN();
        return true;
    }
    const auto [at, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && at == text.data() + text.size();
}

template <typename Enum>
bool ParseWords(const std::string& text, Enum last, const char* (*words)(Enum), Enum& out) {
    for (int i = 0; i <= static_cast<int>(last); ++i) {
        if (text == words(static_cast<Enum>(i))) {
            out = static_cast<Enum>(i);
            return true;
        }
    }
    return false;
}

}  // namespace

std::string AlarmJournalPathFor(const std::string& sitePath) {
    const std::size_t slash = sitePath.find_last_of("/\\");
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    std::size_t dot = sitePath.rfind('.');
    if (dot == std::string::npos || dot <= nameStart) dot = sitePath.size();
    return sitePath.substr(0, dot) + "-报警.csv";
}

std::string AlarmJournalRecord(const AlarmEvent& event) {
    std::string record = IsoLocalTime(event.time);
    record += ',' + std::to_string(event.bus);
    record += ',' + std::to_string(event.address);
    record += ',' + Quoted(event.module);
    record += ',' + (event.channel < 0 ? std::string() : ChannelLabel(event.channel));
    record += ',' + Quoted(event.channelName);
    record += ',' + std::string(AlarmKindText(event.kind));
    record += ',' + Number(event.value);
    record += ',' + Number(event.limit);
    record += ',' + std::string(AlarmStateText(event.state));
    record += ',' + Quoted(event.user);
    return record + "\r\n";
}

bool ParseAlarmJournalRecord(const std::string& line, AlarmEvent& event) {
    const std::vector<std::string> fields = SplitFields(line);
    if (fields.size() != kFields) return false;
    const auto time = ParseIsoTime(fields[0]);
    if (!time || !ParseInt(fields[1], event.bus) || !ParseInt(fields[2], event.address)) {
        return false;
    }
    event.time = *time;
    event.module = fields[3];
    event.channel = -1;
    if (!fields[4].empty()) {
        for (int channel = 0; channel < kReadingChannels; ++channel) {
            if (ChannelLabel(channel) == fields[4]) event.channel = channel;
        }
        if (event.channel < 0) return false;
    }
    event.channelName = fields[5];
    event.user = fields[10];
    return ParseWords(fields[6], AlarmKind::Offline, &AlarmKindText, event.kind) &&
           ParseNumber(fields[7], event.value) && ParseNumber(fields[8], event.limit) &&
           ParseWords(fields[9], AlarmState::Normal, &AlarmStateText, event.state);
}

bool AlarmJournal::Append(const AlarmEvent& event, std::string& error) {
    const std::string header = std::string(kCsvByteOrderMark) + kAlarmJournalHeader + "\r\n";
    if (AppendJournalRecord(path_, header, AlarmJournalRecord(event), error)) return true;
    error = "报警日志写入失败: " + path_ + ": " + error;
    return false;
}

bool AlarmJournal::Load(std::vector<AlarmEvent>& records, std::string& error) const {
    records.clear();
    std::FILE* file = FopenUtf8(path_, "rb");
    if (file == nullptr) {
        if (errno == ENOENT) return true;
        error = "无法打开报警日志: " + path_;
        return false;
    }
    std::string text;
    char buffer[65536];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, got);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) {
        error = "读取报警日志失败: " + path_;
        return false;
    }
    std::size_t at = text.rfind(kCsvByteOrderMark, 0) == 0 ? 3 : 0;
    bool header = true;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(at, end - at);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        at = end + 1;
        if (header) {
            header = false;
            if (line == kAlarmJournalHeader) continue;
        }
        AlarmEvent event;
        if (!line.empty() && ParseAlarmJournalRecord(line, event)) records.push_back(event);
    }
    return true;
}

std::vector<AlarmEvent> JournalReplay::Open() const {
    std::vector<AlarmEvent> open;
    for (const JournalAlarm& alarm : alarms) {
        if (alarm.latest.state != AlarmState::Normal) open.push_back(alarm.latest);
    }
    return open;
}

JournalReplay ReplayJournal(std::vector<AlarmEvent>& records) {
    JournalReplay replay;
    // The alarm not yet normal at each point: bus, address, channel, kind.
    std::map<std::tuple<int, int, int, int>, std::size_t> open;
    for (AlarmEvent& record : records) {
        record.id = 0;
        const auto point =
            std::make_tuple(record.bus, record.address, record.channel, static_cast<int>(record.kind));
        auto it = open.find(point);
        if (it == open.end()) {
            // Only a raise starts an alarm; anything else for a normal point is stale.
            if (record.state != AlarmState::ActiveUnacked) continue;
            JournalAlarm alarm;
            alarm.raised = record;
            alarm.raised.id = record.id = replay.nextId++;
            alarm.latest = alarm.raised;
            replay.alarms.push_back(alarm);
            open.emplace(point, replay.alarms.size() - 1);
            continue;
        }
        JournalAlarm& alarm = replay.alarms[it->second];
        const bool acknowledgement = !record.user.empty();
        record.id = alarm.raised.id;
        alarm.latest = record;
        if (acknowledgement) {
            alarm.acknowledgedBy = record.user;
            alarm.acknowledgedAt = record.time;
        }
        if (record.state == AlarmState::Normal) open.erase(it);
    }
    return replay;
}
