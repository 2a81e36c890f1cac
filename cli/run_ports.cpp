// ports, ports link, ports unlink: the serial devices and the COMn links of the port directory.
#include "cli/commands.h"
#include "cli/exit_status.h"
#include "link/port_directory.h"
#include "link/port_inventory.h"

namespace {

nlohmann::ordered_json DeviceObject(const SerialDevice& device) {
    nlohmann::ordered_json object = {{"path", device.path}};
    if (!device.target.empty()) object["target"] = device.target;
    if (!device.driver.empty()) object["driver"] = device.driver;
    return object;
}

std::string DeviceLine(const SerialDevice& device) {
    std::string line = device.path;
    if (!device.target.empty()) line += " -> " + device.target;
    if (!device.driver.empty()) line += " (" + device.driver + ")";
    return line;
}

int List(const CliOutput& output) {
    const InventoryRoots roots = InventoryRootsFromEnvironment();
    const PortInventory inventory = TakePortInventory(roots);
    if (output.json) {
        nlohmann::ordered_json byId = nlohmann::ordered_json::array();
        nlohmann::ordered_json devices = nlohmann::ordered_json::array();
        nlohmann::ordered_json links = nlohmann::ordered_json::array();
        for (const SerialDevice& device : inventory.byId) byId.push_back(DeviceObject(device));
        for (const SerialDevice& device : inventory.devices) devices.push_back(DeviceObject(device));
        for (const PortLink& link : inventory.links) {
            links.push_back({{"port", link.number},
                             {"path", link.path},
                             {"target", link.target},
                             {"dangling", link.dangling}});
        }
        output.Json({{"byId", byId},
                     {"devices", devices},
                     {"portDirectory", PortDirectory()},
                     {"links", links}});
        return kExitOk;
    }
    output.out << "串口设备:\n";
    if (inventory.byId.empty() && inventory.devices.empty()) output.out << "  (无)\n";
    for (const SerialDevice& device : inventory.byId) output.out << "  " << DeviceLine(device) << '\n';
    for (const SerialDevice& device : inventory.devices) output.out << "  " << DeviceLine(device) << '\n';
    output.out << "端口链接 (" << PortDirectory() << "):\n";
    if (inventory.links.empty()) output.out << "  (无)\n";
    for (const PortLink& link : inventory.links) {
        output.out << "  COM" << link.number << " -> " << link.target
                   << (link.dangling ? " (设备不存在)" : "") << '\n';
    }
    return kExitOk;
}

}  // namespace

int RunPorts(const Invocation& invocation, const CliOutput& output) {
    const InventoryRoots roots = InventoryRootsFromEnvironment();
    std::string error;
    if (invocation.command == CliCommand::PortsLink) {
        std::string target;
        if (!LinkPort(roots, invocation.linkNumber, invocation.linkDevice, target, error)) {
            return output.Fail(kExitUsage, error);
        }
        if (output.json) {
            output.Json({{"port", invocation.linkNumber}, {"target", target}});
        } else {
            output.out << "COM" << invocation.linkNumber << " -> " << target << '\n';
        }
        return kExitOk;
    }
    if (invocation.command == CliCommand::PortsUnlink) {
        if (!UnlinkPort(roots, invocation.linkNumber, error)) return output.Fail(kExitUsage, error);
        if (output.json) output.Json({{"port", invocation.linkNumber}, {"removed", true}});
        return kExitOk;
    }
    return List(output);
}
