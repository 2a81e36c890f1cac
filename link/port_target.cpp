#include "link/port_target.h"

CommPort PortTarget::Open(const PollSettings& settings, TimeoutProfile profile) {
    if (!path_.empty()) return OpenCommPortAt(path_, settings, profile);
    const std::string path = CommPortPath(settings.port);
    CommPort port = OpenCommPortAt(path, settings, profile);
    if (port) path_ = path;
    return port;
}
