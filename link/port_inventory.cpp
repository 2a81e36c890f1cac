#include "link/port_inventory.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "link/port_directory.h"
#include "link/system_error_text.h"

namespace fs = std::filesystem;

namespace {

constexpr int kMaxPortNumber = 255;

std::string DirectoryOf(const InventoryRoots& roots) {
    return roots.portDirectory.empty() ? PortDirectory() : roots.portDirectory;
}

// n of a name "COMn" with 1 <= n <= 255; 0 for any other name.
int PortNumberOf(const std::string& name) {
    if (name.size() < 4 || name.size() > 6 || name.compare(0, 3, "COM") != 0) return 0;
    int number = 0;
    for (std::size_t i = 3; i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9') return 0;
        number = number * 10 + (name[i] - '0');
    }
    return (number >= 1 && number <= kMaxPortNumber && name[3] != '0') ? number : 0;
}

fs::path LinkPath(const InventoryRoots& roots, int number) {
    return fs::path(DirectoryOf(roots)) / ("COM" + std::to_string(number));
}

}  // namespace

InventoryRoots InventoryRootsFromEnvironment() {
    InventoryRoots roots;
    if (const char* dev = std::getenv("K7R2_DEV_ROOT"); dev != nullptr && *dev != '\0') roots.devRoot = dev;
    if (const char* sys = std::getenv("K7R2_SYS_ROOT"); sys != nullptr && *sys != '\0') roots.sysRoot = sys;
    return roots;
}

PortInventory TakePortInventory(const InventoryRoots& roots) {
    PortInventory inventory;
    ListSerialDevices(roots, inventory);
    std::error_code error;
    for (fs::directory_iterator it(DirectoryOf(roots), error), end; !error && it != end;
         it.increment(error)) {
        const int number = PortNumberOf(it->path().filename().string());
        std::error_code linkError;
        if (number == 0 || !fs::is_symlink(it->symlink_status(linkError))) continue;
        PortLink link;
        link.number = number;
        link.path = it->path().string();
        link.target = fs::read_symlink(it->path(), linkError).string();
        link.dangling = !fs::exists(it->path(), linkError);
        inventory.links.push_back(link);
    }
    std::sort(inventory.links.begin(), inventory.links.end(),
              [](const PortLink& a, const PortLink& b) { return a.number < b.number; });
    return inventory;
}

std::string StableDevicePath(const InventoryRoots& roots, const std::string& device) {
    std::error_code error;
    const fs::path wanted = fs::weakly_canonical(device, error);
    if (error) return device;
    PortInventory inventory;
    ListSerialDevices(roots, inventory);
    for (const SerialDevice& stable : inventory.byId) {
        std::error_code ignored;
        if (stable.path == device) return device;
        if (fs::weakly_canonical(stable.path, ignored) == wanted && !ignored) return stable.path;
    }
    return device;
}

bool LinkPort(const InventoryRoots& roots, int number, const std::string& device,
              std::string& linkedTo, std::string& error) {
    if (number < 1 || number > kMaxPortNumber) {
        error = "端口号须为1到255";
        return false;
    }
    std::error_code status;
    if (!fs::exists(device, status)) {
        error = "设备不存在: " + device;
        return false;
    }
    linkedTo = StableDevicePath(roots, device);
    const fs::path link = LinkPath(roots, number);
    fs::create_directories(link.parent_path(), status);
    // The new link is made beside the old one and renamed over it, so COMn never goes missing.
    const fs::path fresh = link.parent_path() / (link.filename().string() + ".new");
    fs::remove(fresh, status);
    fs::create_symlink(linkedTo, fresh, status);
    if (!status) fs::rename(fresh, link, status);
    if (status) {
        error = "无法创建链接 " + link.string() + ": " + SystemErrorText(status.value());
        fs::remove(fresh, status);
        return false;
    }
    return true;
}

bool UnlinkPort(const InventoryRoots& roots, int number, std::string& error) {
    const fs::path link = LinkPath(roots, number);
    std::error_code status;
    if (number < 1 || number > kMaxPortNumber || !fs::is_symlink(fs::symlink_status(link, status))) {
        error = "没有这个端口链接: " + link.string();
        return false;
    }
    if (!fs::remove(link, status)) {
        error = "无法删除链接 " + link.string() + ": " + SystemErrorText(status.value());
        return false;
    }
    return true;
}
