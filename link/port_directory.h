#pragma once
#include <string>

// Where port numbers are published as links named COMn: $K7R2_PORT_DIR, else
// ~/.config/k7r2/ports.
std::string PortDirectory();
// Where device files are: $K7R2_DEV_ROOT, else /dev (tests point it at a tree of their own).
std::string DeviceRoot();
// The device file that port number n opens on POSIX systems: the link COMn in PortDirectory()
// when it exists (also when it dangles), else /dev/ttyS<n-1>. A run that has opened a port keeps
// to what it opened through PortTarget instead of resolving again.
std::string ResolvePortPath(int port);
// Makes port number `port` resolve to `path` for the rest of the process, whatever the port
// directory holds (the command-line tool's --device). Call it before ports are opened.
void PinPortPath(int port, const std::string& path);
