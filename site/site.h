#pragma once
// A site as its file describes it: buses in file order, each with its modules by address.
#include <map>
#include <string>
#include <vector>

constexpr int kSiteBauds[] = {1200, 9600, 19200, 38400};
constexpr int kDefaultBaud = 9600;
constexpr int kDefaultPeriodMs = 5000;
constexpr int kDefaultTimeoutMs = 300;

struct SiteModule {
    int address = 0;
    std::string name;
    // Names of channels by channel number 0..67 (the PT100 inputs first), as far as named.
    std::map<int, std::string> channelNames;

    // The channel's name, else its CSV label.
    std::string ChannelName(int channel) const;
};

struct SiteBus {
    std::string name;    // optional
    int port = 0;        // COM number, or 0 when `device` is set
    std::string device;  // a device path instead of a port number
    int baud = kDefaultBaud;
    int periodMs = kDefaultPeriodMs;
    int timeoutMs = kDefaultTimeoutMs;
    std::vector<SiteModule> modules;  // ascending addresses

    // "总线 1 (A区)": how messages and the window name it; `number` is 1-based.
    std::string Title(int number) const;
    // "COM3" or the device path.
    std::string PortText() const;
};

struct Site {
    std::string name;
    std::vector<SiteBus> buses;
};

// The channel number 0..67 of a CSV label ("PT100温度1", "温度64"), -1 for none.
int ChannelOfLabel(const std::string& label);

// `<address>-<module name>.csv`, with characters no file name may hold replaced by '_'.
std::string ModuleCsvName(const SiteModule& module);
