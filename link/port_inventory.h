#pragma once
// The serial devices present and the port links (COMn) of a port directory, and making and
// removing such links. The device and system roots and the port directory are the caller's,
// so that tests (and a port-mapping dialog's tests) can work on fake folders.
#include <string>
#include <vector>

struct InventoryRoots {
    std::string devRoot = "/dev";
    std::string sysRoot = "/sys";
    std::string portDirectory;  // empty: PortDirectory()
};

struct SerialDevice {
    std::string path;    // e.g. /dev/serial/by-id/usb-…-if00-port0, or /dev/ttyUSB0
    std::string target;  // for a by-id link, the device it points to; else empty
    std::string driver;  // the kernel driver, when the system tells it cheaply; else empty
};

struct PortLink {
    int number = 0;      // n of COMn
    std::string path;    // the link itself
    std::string target;  // what it points to, as written in the link
    bool dangling = false;
};

struct PortInventory {
    std::vector<SerialDevice> byId;     // stable names of USB adapters, sorted
    std::vector<SerialDevice> devices;  // ttyUSB*, ttyACM* (ttyS* is not probed), sorted
    std::vector<PortLink> links;        // COMn of the port directory, by number
};

// The roots as given by $K7R2_DEV_ROOT and $K7R2_SYS_ROOT (default /dev and /sys), so that the
// tool and the window can be shown a fake set of adapters; the port directory is PortDirectory().
InventoryRoots InventoryRootsFromEnvironment();

PortInventory TakePortInventory(const InventoryRoots& roots);

// The path to link a device by: its by-id name when it has one (a replug may renumber the
// ttyUSB device, not the by-id name), else the path as given.
std::string StableDevicePath(const InventoryRoots& roots, const std::string& device);

// Creates or replaces COM<number> in the port directory, pointing at StableDevicePath(device).
// False with the reason in `error` (no such device, number out of 1..255, the directory cannot
// be written); `linkedTo` gets the target written.
bool LinkPort(const InventoryRoots& roots, int number, const std::string& device,
              std::string& linkedTo, std::string& error);
// Removes COM<number>; false with the reason when there is no such link or it cannot go.
bool UnlinkPort(const InventoryRoots& roots, int number, std::string& error);

// Backend: the serial devices under the device root (port_inventory_posix.cpp, _win32.cpp).
void ListSerialDevices(const InventoryRoots& roots, PortInventory& inventory);
