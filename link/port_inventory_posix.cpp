// Serial devices as Linux shows them: stable names under /dev/serial/by-id, the USB and ACM
// ttys, and each tty's driver from sysfs (/sys/class/tty/<name>/device/driver).
#include <algorithm>
#include <filesystem>
#include <system_error>

#include "link/port_inventory.h"

namespace fs = std::filesystem;

namespace {

std::string DriverOf(const InventoryRoots& roots, const std::string& ttyName) {
    std::error_code error;
    const fs::path driver = fs::path(roots.sysRoot) / "class/tty" / ttyName / "device/driver";
    const fs::path target = fs::read_symlink(driver, error);
    return error ? std::string() : target.filename().string();
}

bool IsProbedTty(const std::string& name) {
    return name.rfind("ttyUSB", 0) == 0 || name.rfind("ttyACM", 0) == 0;
}

bool ByPath(const SerialDevice& a, const SerialDevice& b) {
    return a.path < b.path;
}

}  // namespace

void ListSerialDevices(const InventoryRoots& roots, PortInventory& inventory) {
    std::error_code error;
    const fs::path byId = fs::path(roots.devRoot) / "serial/by-id";
    for (fs::directory_iterator it(byId, error), end; !error && it != end; it.increment(error)) {
        SerialDevice device;
        device.path = it->path().string();
        std::error_code linkError;
        const fs::path target = fs::read_symlink(it->path(), linkError);
        if (!linkError) {
            device.target = (it->path().parent_path() / target).lexically_normal().string();
            device.driver = DriverOf(roots, target.filename().string());
        }
        inventory.byId.push_back(device);
    }
    error.clear();
    for (fs::directory_iterator it(roots.devRoot, error), end; !error && it != end;
         it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (!IsProbedTty(name)) continue;
        inventory.devices.push_back(SerialDevice{it->path().string(), {}, DriverOf(roots, name)});
    }
    std::sort(inventory.byId.begin(), inventory.byId.end(), ByPath);
    std::sort(inventory.devices.begin(), inventory.devices.end(), ByPath);
}
