#include "link/port_directory.h"

#include <cstdlib>
#include <filesystem>
#include <map>
#include <system_error>

namespace {

// Set once before any port opens (MinGW's win32 thread model has no std::mutex to guard more).
std::map<int, std::string> g_pinnedPaths;

}  // namespace

void PinPortPath(int port, const std::string& path) {
    g_pinnedPaths[port] = path;
}

std::string PortDirectory() {
    if (const char* dir = std::getenv("K7R2_PORT_DIR"); dir != nullptr && *dir != '\0') {
        return dir;
    }
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr ? home : "") + "/.config/k7r2/ports";
}

std::string DeviceRoot() {
    if (const char* dev = std::getenv("K7R2_DEV_ROOT"); dev != nullptr && *dev != '\0') return dev;
    return "/dev";
}

std::string ResolvePortPath(int port) {
    if (const auto pinned = g_pinnedPaths.find(port); pinned != g_pinnedPaths.end()) {
        return pinned->second;
    }
    const std::filesystem::path link =
        std::filesystem::path(PortDirectory()) / ("COM" + std::to_string(port));
    std::error_code error;
    // A dangling link still names the port: opening it fails, rather than silently falling
    // back to a different device.
    if (std::filesystem::exists(std::filesystem::symlink_status(link, error))) {
        return link.string();
    }
    if (port < 1) return {};
    return DeviceRoot() + "/ttyS" + std::to_string(port - 1);
}
