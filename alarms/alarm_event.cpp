#include "alarms/alarm_event.h"

const char* AlarmKindText(AlarmKind kind) {
    switch (kind) {
        case AlarmKind::High: return "超上限";
        case AlarmKind::Low: return "超下限";
        case AlarmKind::RiseRate: return "温升过快";
        case AlarmKind::SensorFault: return "传感器故障";
        case AlarmKind::Offline: return "模块离线";
    }
    return "";
}

const char* AlarmStateText(AlarmState state) {
    switch (state) {
        case AlarmState::ActiveUnacked: return "报警未确认";
        case AlarmState::ActiveAcked: return "报警已确认";
        case AlarmState::ClearedUnacked: return "恢复未确认";
        case AlarmState::Normal: return "正常";
    }
    return "";
}
