#pragma once
// The device a run talks to, decided by its first successful open and kept for the whole run.
// Port N is the COMN link when the port directory has one, else /dev/ttyS<N-1>; once a run has
// opened it through the link, every reopen after a loss goes through that link only. While the
// link is missing or dangling the reopen fails (the period is "port not open"); it never lands
// on a built-in UART that happens to carry the fallback name.
#include <string>

#include "link/serial_port.h"

class PortTarget {
public:
    // Opens settings.port: resolved by number until an open succeeds, at the remembered path
    // from then on. Returns a closed port on failure, like OpenCommPort.
    CommPort Open(const PollSettings& settings, TimeoutProfile profile);
    // The path the run keeps to; empty before its first successful open.
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};
