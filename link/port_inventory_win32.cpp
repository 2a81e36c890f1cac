// Serial devices as Windows names them: the ports of the system's device list (class "Ports"),
// each with its friendly name, its COM number and its driver; then any COM port the DOS device
// namespace knows that the device list does not (a virtual or emulated port). Windows assigns
// the numbers itself, so there are no links to list.
#include <windows.h>

#include <setupapi.h>

#include <algorithm>
#include <string>

#include "link/port_inventory.h"
#include "link/wide_text_win32.h"

namespace {

// {4D36E978-E325-11CE-BFC1-08002BE10318}: the device setup class of serial and parallel ports.
const GUID kPortsClass = {0x4D36E978, 0xE325, 0x11CE,
                          {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};

std::wstring RegistryProperty(HDEVINFO devices, SP_DEVINFO_DATA& device, DWORD property) {
    wchar_t buffer[512] = {};
    DWORD type = 0;
    if (!SetupDiGetDeviceRegistryPropertyW(devices, &device, property, &type,
                                           reinterpret_cast<BYTE*>(buffer), sizeof buffer - 2,
                                           nullptr) ||
        type != REG_SZ) {
        return {};
    }
    return buffer;
}

std::wstring PortNameOf(HDEVINFO devices, SP_DEVINFO_DATA& device) {
    HKEY key = SetupDiOpenDevRegKey(devices, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
    if (key == INVALID_HANDLE_VALUE) return {};
    wchar_t buffer[64] = {};
    DWORD size = sizeof buffer - 2;
    DWORD type = 0;
    const LONG status = RegQueryValueExW(key, L"PortName", nullptr, &type,
                                         reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS && type == REG_SZ ? std::wstring(buffer) : std::wstring();
}

int ComNumber(const std::string& name) {
    if (name.size() < 4 || name.compare(0, 3, "COM") != 0) return 0;
    int number = 0;
    for (std::size_t i = 3; i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9') return 0;
        number = number * 10 + (name[i] - '0');
        if (number > 255) return 0;
    }
    return number;
}

}  // namespace

void ListSerialDevices(const InventoryRoots&, PortInventory& inventory) {
    // Each device: path = its friendly name (what the window's first column shows), target =
    // its COM port, driver = the driver's service name.
    HDEVINFO devices = SetupDiGetClassDevsW(&kPortsClass, nullptr, nullptr, DIGCF_PRESENT);
    if (devices != INVALID_HANDLE_VALUE) {
        SP_DEVINFO_DATA device{};
        device.cbSize = sizeof device;
        for (DWORD index = 0; SetupDiEnumDeviceInfo(devices, index, &device); ++index) {
            const std::string port = Utf8FromWide(PortNameOf(devices, device));
            if (ComNumber(port) == 0) continue;  // a printer port
            std::string name = Utf8FromWide(RegistryProperty(devices, device, SPDRP_FRIENDLYNAME));
            if (name.empty()) name = Utf8FromWide(RegistryProperty(devices, device, SPDRP_DEVICEDESC));
            if (name.empty()) name = port;
            const std::string driver = Utf8FromWide(RegistryProperty(devices, device, SPDRP_SERVICE));
            inventory.byId.push_back(SerialDevice{name, port, driver});
        }
        SetupDiDestroyDeviceInfoList(devices);
    }
    for (int number = 1; number <= 255; ++number) {
        const std::string name = "COM" + std::to_string(number);
        wchar_t target[512];
        if (QueryDosDeviceW(WideFromUtf8(name).c_str(), target, 512) == 0) continue;
        const bool listed = std::any_of(inventory.byId.begin(), inventory.byId.end(),
                                        [&](const SerialDevice& d) { return d.target == name; });
        if (!listed) inventory.byId.push_back(SerialDevice{name, name, Utf8FromWide(target)});
    }
    std::sort(inventory.byId.begin(), inventory.byId.end(),
              [](const SerialDevice& a, const SerialDevice& b) {
                  return ComNumber(a.target) < ComNumber(b.target);
              });
}
