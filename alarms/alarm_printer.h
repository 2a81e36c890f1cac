#pragma once
// Alarm changes as a terminal shows them: one Chinese line each, or one JSON object a line.
#include <nlohmann/json.hpp>
#include <ostream>
#include <string>

#include "alarms/alarm_event.h"
#include "alarms/recursive_lock.h"

// "2026-12-07T15:38:26.123+08:00 报警 #3 总线 1 地址 1 3号仓 进风口 超上限 值 31.2 限值 30 报警未确认"
std::string AlarmText(const AlarmEvent& event);
// {"id", "time", "bus", "address", "module", "channel", "label", "name", "kind", "value",
//  "limit", "state", "user"}; value and limit null when none, channel and label null for a
// module alarm.
nlohmann::ordered_json AlarmJson(const AlarmEvent& event);

class AlarmPrinter : public AlarmObserver {
public:
    AlarmPrinter(std::ostream& out, bool json) : out_(out), json_(json) {}
    void OnAlarmChange(const AlarmEvent& event) override;

private:
    RecursiveLock mutex_;
    std::ostream& out_;
    bool json_;
};
