#pragma once
#include <chrono>
#include <cstdint>
#include <string>
enum class AlarmKind { High, Low, RiseRate, SensorFault, Offline };
// 超上限, 超下限, 温升过快, 传感器故障, 模块离线
enum class AlarmState { ActiveUnacked, ActiveAcked, ClearedUnacked, Normal };
struct AlarmEvent {
    std::uint64_t id = 0;      // stable for the alarm's life, unique within a journal
    std::chrono::system_clock::time_point time;
    int bus = 1;
    int address = 0;
    std::string module;        // module name
    int channel = -1;          // 0..67, -1 for a module alarm (模块离线)
    std::string channelName;   // the site file's name, else the CSV label; empty for -1
    AlarmKind kind = AlarmKind::High;
    double value = 0.0;        // NaN when none
    double limit = 0.0;        // NaN when none
    AlarmState state = AlarmState::ActiveUnacked;   // the state after this change
    std::string user;          // who acknowledged, for an acknowledgement
};
const char* AlarmKindText(AlarmKind kind);     // the Chinese words above
const char* AlarmStateText(AlarmState state);  // the journal's 状态 words
class AlarmObserver {
public:
    virtual ~AlarmObserver() = default;
    virtual void OnAlarmChange(const AlarmEvent& event) = 0;  // after the journal has it
};
