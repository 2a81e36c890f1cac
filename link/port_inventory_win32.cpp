// Serial devices as Windows names them: the COM ports the DOS device namespace knows.
#include <windows.h>

#include <string>

#include "link/port_inventory.h"

void ListSerialDevices(const InventoryRoots&, PortInventory& inventory) {
    char target[512];
    for (int number = 1; number <= 255; ++number) {
        const std::string name = "COM" + std::to_string(number);
        if (QueryDosDeviceA(name.c_str(), target, sizeof target) == 0) continue;
        inventory.devices.push_back(SerialDevice{name, target, {}});
    }
}
