// k7r2 alarms list / ack: the site's alarms as its journal tells them.
#include <cmath>
#include <cstdio>
#include <set>

#include "alarms/alarm_journal.h"
#include "alarms/alarm_printer.h"
#include "alarms/iso_time.h"
#include "alarms/os_user.h"
#include "cli/commands.h"
#include "cli/exit_status.h"
#include "link/fopen_utf8.h"
#include "record/local_time.h"

namespace {

bool IsActive(AlarmState state) {
    return state == AlarmState::ActiveUnacked || state == AlarmState::ActiveAcked;
}

bool WaitsForAcknowledgement(AlarmState state) {
    return state == AlarmState::ActiveUnacked || state == AlarmState::ClearedUnacked;
}

std::string Shown(double value) {
    if (std::isnan(value)) return "-";
    char text[64];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

nlohmann::ordered_json ListedJson(const JournalAlarm& alarm) {
    nlohmann::ordered_json entry = AlarmJson(alarm.raised);
    entry["state"] = AlarmStateText(alarm.latest.state);
    entry["changed"] = IsoLocalTime(alarm.latest.time);
    entry.erase("user");
    entry["acknowledgedBy"] = alarm.acknowledgedBy;
    entry["acknowledgedAt"] = alarm.acknowledgedBy.empty()
                                  ? nlohmann::ordered_json()
                                  : nlohmann::ordered_json(IsoLocalTime(alarm.acknowledgedAt));
    return entry;
}

std::string ListedLine(const JournalAlarm& alarm) {
    const AlarmEvent& raised = alarm.raised;
    // Appended piece by piece: GCC 12 warns wrongly about a long chain of string operator+.
    std::string line = "#";
    line += std::to_string(raised.id);
    line += "  ";
    line += IsoLocalTime(raised.time);
    line += "  总线 ";
    line += std::to_string(raised.bus);
    line += "  地址 ";
    line += std::to_string(raised.address);
    line += "  ";
    line += raised.module.empty() ? "-" : raised.module;
    line += "  ";
    line += raised.channel < 0 ? "-" : raised.channelName;
    line += "  ";
    line += AlarmKindText(raised.kind);
    line += "  值 ";
    line += Shown(raised.value);
    line += "  限值 ";
    line += Shown(raised.limit);
    line += "  ";
    line += AlarmStateText(alarm.latest.state);
    if (!alarm.acknowledgedBy.empty()) line += "  确认: " + alarm.acknowledgedBy;
    return line;
}

bool Replay(const Invocation& inv, const CliOutput& output, AlarmJournal& journal,
            JournalReplay& replay, int& status) {
    if (std::FILE* site = FopenUtf8(inv.alarms.site, "rb")) {
        std::fclose(site);
    } else {
        status = output.Fail(kExitOutput, "无法打开站点文件: " + inv.alarms.site);
        return false;
    }
    std::vector<AlarmEvent> records;
    std::string error;
    if (!journal.Load(records, error)) {
        status = output.Fail(kExitOutput, error);
        return false;
    }
    replay = ReplayJournal(records);
    return true;
}

int List(const Invocation& inv, const CliOutput& output) {
    AlarmJournal journal(AlarmJournalPathFor(inv.alarms.site));
    JournalReplay replay;
    int status = kExitOk;
    if (!Replay(inv, output, journal, replay, status)) return status;
    const auto since = inv.alarms.since.empty() ? std::nullopt : ParseIsoTime(inv.alarms.since);
    nlohmann::ordered_json listed = nlohmann::ordered_json::array();
    int count = 0;
    for (const JournalAlarm& alarm : replay.alarms) {
        const AlarmState state = alarm.latest.state;
        const bool wanted = since ? alarm.raised.time >= *since : state != AlarmState::Normal;
        if (!wanted || (inv.alarms.active && !IsActive(state))) continue;
        ++count;
        if (output.json) {
            listed.push_back(ListedJson(alarm));
        } else {
            output.out << ListedLine(alarm) << '\n';
        }
    }
    if (output.json) {
        output.Json({{"journal", journal.Path()}, {"alarms", listed}});
    } else if (count == 0) {
        output.Message("没有报警");
    }
    return kExitOk;
}

int Ack(const Invocation& inv, const CliOutput& output) {
    AlarmJournal journal(AlarmJournalPathFor(inv.alarms.site));
    JournalReplay replay;
    int status = kExitOk;
    if (!Replay(inv, output, journal, replay, status)) return status;
    const std::string user = OsUserName();
    std::vector<const JournalAlarm*> chosen;
    if (inv.alarms.all) {
        for (const JournalAlarm& alarm : replay.alarms) {
            if (WaitsForAcknowledgement(alarm.latest.state)) chosen.push_back(&alarm);
        }
    } else {
        std::set<std::uint64_t> seen;
        for (const std::uint64_t id : inv.alarms.ids) {
            if (!seen.insert(id).second) continue;
            if (id >= replay.nextId || replay.alarms[id - 1].latest.state == AlarmState::Normal) {
                output.Message("报警 #" + std::to_string(id) + " 不存在或已恢复正常");
                status = kExitRefused;
                continue;
            }
            const JournalAlarm& alarm = replay.alarms[id - 1];
            if (!WaitsForAcknowledgement(alarm.latest.state)) {
                output.Message("报警 #" + std::to_string(id) + " 已确认");
                continue;
            }
            chosen.push_back(&alarm);
        }
    }
    nlohmann::ordered_json acknowledged = nlohmann::ordered_json::array();
    for (const JournalAlarm* alarm : chosen) {
        AlarmEvent event = alarm->latest;
        event.time = std::chrono::system_clock::now();
        event.user = user;
        event.state = event.state == AlarmState::ActiveUnacked ? AlarmState::ActiveAcked
                                                               : AlarmState::Normal;
        std::string error;
        if (!journal.Append(event, error)) return output.Fail(kExitOutput, error);
        acknowledged.push_back(event.id);
        if (!output.json) output.out << "已确认 " << AlarmText(event) << '\n';
    }
    if (output.json) {
        output.Json({{"acknowledged", acknowledged}, {"user", user}});
    } else if (chosen.empty() && status == kExitOk) {
        output.Message("没有需要确认的报警");
    }
    return status;
}

}  // namespace

int RunAlarms(const Invocation& inv, const CliOutput& output) {
    return inv.alarms.ack ? Ack(inv, output) : List(inv, output);
}
