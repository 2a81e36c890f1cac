#pragma once
// The site file (TOML): read into a Site, checked with messages that give the line and the key,
// and written back with every comment and every table that belongs to other parts of the
// program (alarms, mqtt, modbus, a module's alarms and channel_alarms) as they were.
#include <map>
#include <string>
#include <vector>

#include <toml.hpp>

#include "site/site.h"

using SiteToml = toml::basic_value<toml::preserve_comments, std::map, std::vector>;

class SiteFile {
public:
    // Reads and checks a file. False with a Chinese message naming the line and key in `error`.
    bool Load(const std::string& path, std::string& error);
    // The same for text; `source` names it in messages.
    bool Parse(const std::string& text, const std::string& source, std::string& error);

    const Site& GetSite() const { return site_; }
    const SiteToml& Document() const { return document_; }

    // Names channel 0..67 of the module at `address` on bus `busIndex` (0-based); an empty name
    // removes it. False when there is no such module or channel.
    bool SetChannelName(int busIndex, int address, int channel, const std::string& name);

    // The file's text: as it was read, with the names changed since.
    std::string Text() const;
    // Writes Text() through a temporary file renamed over `path`, so that a failed write never
    // leaves half a site file. False with the system's reason in `error`.
    bool Save(const std::string& path, std::string& error) const;

private:
    bool SetChannelNameInDocument(int busIndex, int address, int channel, const std::string& name);

    SiteToml document_;
    Site site_;
    std::string text_;  // as read (without a byte-order mark), or as last changed
    bool byteOrderMark_ = false;
};

// A new site file's text for `site`: every bus and module, with comments that say what the keys
// are.
std::string NewSiteFileText(const Site& site);
