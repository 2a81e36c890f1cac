#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "link/port_directory.h"
#include "link/port_open_fault.h"

std::string PortOpenTarget(const PollSettings& settings) {
    return ResolvePortPath(settings.port);
}

PortOpenFault DiagnosePortOpen(const PollSettings& settings) {
    const std::string path = ResolvePortPath(settings.port);
    struct stat info {};
    if (path.empty() || stat(path.c_str(), &info) != 0) return PortOpenFault::Missing;
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == EACCES || errno == EPERM) return PortOpenFault::Permission;
        if (errno == ENOENT || errno == ENXIO || errno == ENODEV) return PortOpenFault::Missing;
        return PortOpenFault::Busy;  // EBUSY: another program set the exclusive flag
    }
    // The serial backend's lock: held means another program of ours has the port.
    const bool locked = flock(fd, LOCK_EX | LOCK_NB) != 0;
    close(fd);
    return locked ? PortOpenFault::Busy : PortOpenFault::Refused;
}
