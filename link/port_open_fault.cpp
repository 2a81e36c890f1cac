#include "link/port_open_fault.h"

std::string PortOpenFaultText(PortOpenFault fault, const std::string& target) {
    switch (fault) {
        case PortOpenFault::Missing:
            return "串口不存在: " + target;
        case PortOpenFault::Permission:
            return "没有权限打开串口: " + target + " (用户是否在 dialout 组中?)";
        case PortOpenFault::Busy:
            return "串口被其他程序占用: " + target;
        case PortOpenFault::Refused:
            return "串口不接受该通信设置: " + target;
    }
    return target;
}
