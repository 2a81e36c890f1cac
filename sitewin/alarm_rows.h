#pragma once
// An alarm change as the alarm dialogs' tables show it, one text per column.
#include <array>
#include <string>

#include "alarms/alarm_event.h"

// 时间, 编号, 总线, 地址, 模块, 通道, 名称, 类别, 值, 限值, 状态, 用户
constexpr int kAlarmRowColumns = 12;
std::array<std::string, kAlarmRowColumns> AlarmRowTexts(const AlarmEvent& event);
const char* AlarmRowHeading(int column);
int AlarmRowWidth(int column);
