// On Windows the console opens COMn itself: the harness maps the port, nothing is published.
#include "sim/published_port.h"

bool PublishedPort::Publish(const std::string&, int, const std::string&, std::string&) {
    return true;
}

void PublishedPort::Withdraw() {}

std::string PublishedPortPath(const std::string& directory, int port) {
    return directory + "\\COM" + std::to_string(port);
}
