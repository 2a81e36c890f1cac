#include <windows.h>

#include "link/port_open_fault.h"
#include "link/serial_port.h"

std::string PortOpenTarget(const PollSettings& settings) {
    return "COM" + std::to_string(settings.port);
}

PortOpenFault DiagnosePortOpen(const PollSettings& settings) {
    const std::string name = DeviceName(settings.port);
    HANDLE handle = CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
        CloseHandle(handle);
        return PortOpenFault::Refused;
    }
    switch (GetLastError()) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            return PortOpenFault::Missing;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
            return PortOpenFault::Busy;  // Windows reports a port in use as access denied
        default:
            return PortOpenFault::Refused;
    }
}
