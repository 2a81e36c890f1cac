#include "site/site.h"

#include <cstring>

#include "record/readings_csv.h"

std::string SiteModule::ChannelName(int channel) const {
    const auto named = channelNames.find(channel);
    return named != channelNames.end() && !named->second.empty() ? named->second
                                                                  : ChannelLabel(channel);
}

std::string SiteBus::Title(int number) const {
    std::string title = "总线 " + std::to_string(number);
    if (!name.empty()) title += " (" + name + ")";
    return title;
}

std::string SiteBus::PortText() const {
    return device.empty() ? "COM" + std::to_string(port) : device;
}

int ChannelOfLabel(const std::string& label) {
    for (int channel = 0; channel < kReadingChannels; ++channel) {
        if (ChannelLabel(channel) == label) return channel;
    }
    return -1;
}

std::string ModuleCsvName(const SiteModule& module) {
    std::string name = std::to_string(module.address) + "-";
    for (const char c : module.name) {
        // Path separators and the characters Windows refuses; a name never leaves the folder.
        const bool unsafe = static_cast<unsigned char>(c) < 0x20 || std::strchr("/\\:*?\"<>|", c);
        name += unsafe ? '_' : c;
    }
    return name + ".csv";
}
