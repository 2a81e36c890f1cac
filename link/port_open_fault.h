#pragma once
// Why a port did not open, found out after OpenCommPort has failed, so that a message can say
// what to do about it. The backends (port_open_fault_posix.cpp, _win32.cpp) ask the system.
#include <string>

#include "link/poll_settings.h"

enum class PortOpenFault {
    Missing,     // no such device, or a port link pointing nowhere
    Permission,  // the user may not open it (POSIX: not in the device's group, e.g. dialout)
    Busy,        // another program holds it
    Refused,     // it opened but refused the line settings (e.g. the baud rate)
};

PortOpenFault DiagnosePortOpen(const PollSettings& settings);
// The device (or name) the settings open, for messages.
std::string PortOpenTarget(const PollSettings& settings);
// A Chinese sentence naming the cause and the device.
std::string PortOpenFaultText(PortOpenFault fault, const std::string& target);
