#pragma once
#include <string>

// Where port numbers are published as links named COMn: $K7R2_PORT_DIR, else
// ~/.config/k7r2/ports.
std::string PortDirectory();
// The device file that port number n opens on POSIX systems: the link COMn in PortDirectory()
// when it exists, else /dev/ttyS<n-1>.
std::string ResolvePortPath(int port);
// Makes port number `port` resolve to `path` for the rest of the process, whatever the port
// directory holds (the command-line tool's --device). Call it before ports are opened.
void PinPortPath(int port, const std::string& path);
