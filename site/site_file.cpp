#include "site/site_file.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "record/readings_csv.h"
#include "site/site_file_edit.h"

namespace {

// Tables the site file carries for other parts of the program; read and written untouched.
const std::set<std::string> kForeignTopLevel = {"alarms", "mqtt", "modbus"};
const std::set<std::string> kForeignInModule = {"alarms", "channel_alarms"};

struct SiteError {
    std::string message;
};

class Checker {
public:
    explicit Checker(std::string source) : source_(std::move(source)) {}

    [[noreturn]] void Fail(const SiteToml& at, const std::string& key,
                           const std::string& what) const {
        Fail(static_cast<int>(at.location().line()), key, what);
    }
    [[noreturn]] void Fail(int line, const std::string& key, const std::string& what) const {
        std::string message = source_ + ":" + std::to_string(line) + ": ";
        if (!key.empty()) message += "键 " + key + ": ";
        throw SiteError{message + what};
    }

    const SiteToml* Find(const SiteToml& table, const std::string& key) const {
        const auto& entries = table.as_table();
        const auto found = entries.find(key);
        return found == entries.end() ? nullptr : &found->second;
    }

    std::string String(const SiteToml& value, const std::string& key) const {
        if (!value.is_string()) Fail(value, key, "应为字符串");
        return value.as_string().str;
    }

    int Integer(const SiteToml& value, const std::string& key, long long low,
                long long high) const {
        if (!value.is_integer()) {
            Fail(value, key, "应为 " + std::to_string(low) + " 到 " + std::to_string(high) +
                                 " 的整数");
        }
        const long long number = value.as_integer();
        if (number < low || number > high) {
            Fail(value, key, "应在 " + std::to_string(low) + " 到 " + std::to_string(high) +
                                 " 之间, 而不是 " + std::to_string(number));
        }
        return static_cast<int>(number);
    }

    void OnlyKnownKeys(const SiteToml& table, const std::string& path,
                       const std::set<std::string>& known,
                       const std::set<std::string>& foreign) const {
        for (const auto& [key, value] : table.as_table()) {
            if (known.count(key) == 0 && foreign.count(key) == 0) {
                Fail(value, path + key, "未知的键");
            }
        }
    }

private:
    std::string source_;
};

SiteModule ReadModule(const Checker& check, const SiteToml& table, const std::string& path) {
    if (!table.is_table()) check.Fail(table, path, "应为表 [[bus.module]]");
    check.OnlyKnownKeys(table, path + ".", {"address", "name", "channels"}, kForeignInModule);
    SiteModule module;
    const SiteToml* address = check.Find(table, "address");
    if (address == nullptr) check.Fail(table, path + ".address", "缺少模块地址");
    module.address = check.Integer(*address, path + ".address", 0, 255);
    if (const SiteToml* name = check.Find(table, "name")) {
        module.name = check.String(*name, path + ".name");
    }
    if (module.name.empty()) module.name = "模块" + std::to_string(module.address);
    if (const SiteToml* channels = check.Find(table, "channels")) {
        if (!channels->is_table()) check.Fail(*channels, path + ".channels", "应为表");
        for (const auto& [label, name] : channels->as_table()) {
            const std::string key = path + ".channels.\"" + label + "\"";
            const int channel = ChannelOfLabel(label);
            if (channel < 0) {
                check.Fail(name, key, "没有这个通道 (应为 PT100温度1-4 或 温度1-64)");
            }
            module.channelNames[channel] = check.String(name, key);
        }
    }
    return module;
}

SiteBus ReadBus(const Checker& check, const SiteToml& table, const std::string& path) {
    if (!table.is_table()) check.Fail(table, path, "应为表 [[bus]]");
    check.OnlyKnownKeys(table, path + ".",
                        {"name", "port", "device", "baud", "period_ms", "timeout_ms", "module"},
                        {});
    SiteBus bus;
    if (const SiteToml* name = check.Find(table, "name")) {
        bus.name = check.String(*name, path + ".name");
    }
    const SiteToml* port = check.Find(table, "port");
    const SiteToml* device = check.Find(table, "device");
    if ((port == nullptr) == (device == nullptr)) {
        check.Fail(port != nullptr ? *port : table, path + ".port",
                   "每条总线要有 port (串口号) 或 device (设备路径), 且只能有其中一个");
    }
    if (port != nullptr) bus.port = check.Integer(*port, path + ".port", 1, 255);
    if (device != nullptr) {
        bus.device = check.String(*device, path + ".device");
        if (bus.device.empty()) check.Fail(*device, path + ".device", "设备路径不能为空");
    }
    if (const SiteToml* baud = check.Find(table, "baud")) {
        bus.baud = check.Integer(*baud, path + ".baud", 0, 1000000);
        bool known = false;
        for (const int rate : kSiteBauds) known = known || rate == bus.baud;
        if (!known) check.Fail(*baud, path + ".baud", "波特率应为 1200, 9600, 19200 或 38400");
    }
    if (const SiteToml* period = check.Find(table, "period_ms")) {
        bus.periodMs = check.Integer(*period, path + ".period_ms", 100, 86400000);
    }
    if (const SiteToml* timeout = check.Find(table, "timeout_ms")) {
        bus.timeoutMs = check.Integer(*timeout, path + ".timeout_ms", 10, 10000);
    }
    if (const SiteToml* modules = check.Find(table, "module")) {
        if (!modules->is_array()) check.Fail(*modules, path + ".module", "应为 [[bus.module]] 表的数组");
        std::map<int, int> lineOfAddress;
        int index = 0;
        for (const SiteToml& entry : modules->as_array()) {
            const std::string modulePath = path + ".module[" + std::to_string(++index) + "]";
            SiteModule module = ReadModule(check, entry, modulePath);
            const auto [earlier, fresh] = lineOfAddress.emplace(
                module.address, static_cast<int>(check.Find(entry, "address")->location().line()));
            if (!fresh) {
                check.Fail(*check.Find(entry, "address"), modulePath + ".address",
                           "地址 " + std::to_string(module.address) + " 在这条总线上已用于第 " +
                               std::to_string(earlier->second) + " 行的模块");
            }
            bus.modules.push_back(std::move(module));
        }
    }
    std::sort(bus.modules.begin(), bus.modules.end(),
              [](const SiteModule& a, const SiteModule& b) { return a.address < b.address; });
    return bus;
}

Site ReadSite(const Checker& check, const SiteToml& document) {
    check.OnlyKnownKeys(document, "", {"name", "bus"}, kForeignTopLevel);
    Site site;
    const SiteToml* name = check.Find(document, "name");
    if (name == nullptr) check.Fail(1, "name", "缺少站点名称");
    site.name = check.String(*name, "name");
    if (site.name.empty()) check.Fail(*name, "name", "站点名称不能为空");
    const SiteToml* buses = check.Find(document, "bus");
    if (buses == nullptr) check.Fail(1, "bus", "至少要有一条总线 [[bus]]");
    if (!buses->is_array()) check.Fail(*buses, "bus", "应为 [[bus]] 表的数组");
    int index = 0;
    for (const SiteToml& entry : buses->as_array()) {
        site.buses.push_back(ReadBus(check, entry, "bus[" + std::to_string(++index) + "]"));
    }
    if (site.buses.empty()) check.Fail(*buses, "bus", "至少要有一条总线 [[bus]]");
    return site;
}

// toml11's message starts "[error] what" and points at the place with "--> file" and the line.
std::string SyntaxWhat(const std::string& what) {
    std::string first = what.substr(0, what.find('\n'));
    if (first.rfind("[error] ", 0) == 0) first = first.substr(8);
    return first;
}

SiteToml* MutableModule(SiteToml& document, int busIndex, int address) {
    auto& buses = document.as_table().at("bus").as_array();
    if (busIndex < 0 || busIndex >= static_cast<int>(buses.size())) return nullptr;
    auto& bus = buses[static_cast<std::size_t>(busIndex)].as_table();
    const auto modules = bus.find("module");
    if (modules == bus.end()) return nullptr;
    for (SiteToml& module : modules->second.as_array()) {
        if (module.as_table().at("address").as_integer() == address) return &module;
    }
    return nullptr;
}

bool SameModule(const SiteModule& a, const SiteModule& b) {
    return a.address == b.address && a.name == b.name && a.channelNames == b.channelNames;
}

// `after` is `before` with only the module's channel names now `names`.
bool SameSiteExcept(const Site& before, const Site& after, int busIndex, int address,
                    const std::map<int, std::string>& names) {
    if (before.name != after.name || before.buses.size() != after.buses.size()) return false;
    for (std::size_t bus = 0; bus < before.buses.size(); ++bus) {
        const SiteBus& a = before.buses[bus];
        const SiteBus& b = after.buses[bus];
        if (a.name != b.name || a.port != b.port || a.device != b.device || a.baud != b.baud ||
            a.periodMs != b.periodMs || a.timeoutMs != b.timeoutMs ||
            a.modules.size() != b.modules.size()) {
            return false;
        }
        for (std::size_t at = 0; at < a.modules.size(); ++at) {
            SiteModule expected = a.modules[at];
            if (static_cast<int>(bus) == busIndex && expected.address == address) {
                expected.channelNames = names;
            }
            if (!SameModule(expected, b.modules[at])) return false;
        }
    }
    return true;
}

}  // namespace

bool SiteFile::Load(const std::string& path, std::string& error) {
    std::ifstream in(std::filesystem::u8path(path), std::ios::binary);
    if (!in) {
        error = "无法打开站点文件 " + path;
        return false;
    }
    std::stringstream text;
    text << in.rdbuf();
    return Parse(text.str(), path, error);
}

bool SiteFile::Parse(const std::string& text, const std::string& source, std::string& error) {
    std::string body = text;
    if (body.rfind("\xEF\xBB\xBF", 0) == 0) body.erase(0, 3);  // a byte-order mark from an editor
    try {
        std::istringstream stream(body);
        SiteToml document = toml::parse<toml::preserve_comments, std::map, std::vector>(stream, source);
        Site site = ReadSite(Checker(source), document);
        document_ = std::move(document);
        site_ = std::move(site);
        byteOrderMark_ = body.size() != text.size();
        text_ = std::move(body);
        return true;
    } catch (const toml::exception& fault) {
        error = source + ":" + std::to_string(fault.location().line()) +
                ": TOML 语法错误: " + SyntaxWhat(fault.what());
    } catch (const SiteError& fault) {
        error = fault.message;
    } catch (const std::exception& fault) {
        error = source + ": TOML 语法错误: " + SyntaxWhat(fault.what());
    }
    return false;
}

bool SiteFile::SetChannelName(int busIndex, int address, int channel, const std::string& name) {
    if (channel < 0 || channel >= kReadingChannels) return false;
    const SiteToml* table = MutableModule(document_, busIndex, address);
    if (table == nullptr) return false;
    // The file as the engineer wrote it with the one value changed, when the edit reads back as
    // exactly that change; else the document is written afresh (comments kept, layout not).
    std::map<int, std::string> expected;
    for (const SiteModule& module : site_.buses[static_cast<std::size_t>(busIndex)].modules) {
        if (module.address == address) expected = module.channelNames;
    }
    if (name.empty()) {
        expected.erase(channel);
    } else {
        expected[channel] = name;
    }
    if (const auto edited = TextWithChannelName(text_, *table, ChannelLabel(channel), name)) {
        SiteFile changed;
        std::string ignored;
        if (changed.Parse(*edited, "site", ignored) &&
            SameSiteExcept(site_, changed.site_, busIndex, address, expected)) {
            const bool byteOrderMark = byteOrderMark_;
            *this = std::move(changed);
            byteOrderMark_ = byteOrderMark;
            return true;
        }
    }
    return SetChannelNameInDocument(busIndex, address, channel, name);
}

bool SiteFile::SetChannelNameInDocument(int busIndex, int address, int channel,
                                        const std::string& name) {
    if (channel < 0 || channel >= kReadingChannels) return false;
    if (busIndex < 0 || busIndex >= static_cast<int>(site_.buses.size())) return false;
    SiteBus& bus = site_.buses[static_cast<std::size_t>(busIndex)];
    SiteModule* module = nullptr;
    for (SiteModule& candidate : bus.modules) {
        if (candidate.address == address) module = &candidate;
    }
    SiteToml* table = MutableModule(document_, busIndex, address);
    if (module == nullptr || table == nullptr) return false;
    auto& entries = table->as_table();
    const std::string label = ChannelLabel(channel);
    if (name.empty()) {
        module->channelNames.erase(channel);
        const auto channels = entries.find("channels");
        if (channels != entries.end()) channels->second.as_table().erase(label);
        return true;
    }
    module->channelNames[channel] = name;
    if (entries.count("channels") == 0) entries["channels"] = SiteToml(toml::table());
    entries["channels"].as_table()[label] = SiteToml(name);
    text_ = toml::format(document_, 200);  // wide enough that no value is folded over lines
    return true;
}

std::string SiteFile::Text() const {
    return (byteOrderMark_ ? "\xEF\xBB\xBF" : "") + text_;
}

bool SiteFile::Save(const std::string& path, std::string& error) const {
    const std::filesystem::path target = std::filesystem::u8path(path);
    std::filesystem::path temporary = target;
    temporary += ".new";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        const std::string text = Text();
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        out.flush();
        if (!out) {
            error = "无法写入站点文件 " + path;
            std::error_code ignored;
            std::filesystem::remove(temporary, ignored);
            return false;
        }
    }
    std::error_code renameError;
    std::filesystem::rename(temporary, target, renameError);
    if (renameError) {
        error = "无法写入站点文件 " + path + ": " + renameError.message();
        return false;
    }
    return true;
}

std::string NewSiteFileText(const Site& site) {
    const auto quoted = [](const std::string& text) {
        return toml::format(SiteToml(text));
    };
    std::string text = "# 站点文件\nname = " + quoted(site.name) + "\n";
    for (const SiteBus& bus : site.buses) {
        text += "\n[[bus]]\n";
        if (!bus.name.empty()) text += "name = " + quoted(bus.name) + "\n";
        if (bus.device.empty()) {
            text += "port = " + std::to_string(bus.port) + "                      # COM 号\n";
        } else {
            text += "device = " + quoted(bus.device) + "\n";
        }
        text += "baud = " + std::to_string(bus.baud) + "\n";
        text += "period_ms = " + std::to_string(bus.periodMs) + "               # 周期, 两次开始之间\n";
        text += "timeout_ms = " + std::to_string(bus.timeoutMs) + "               # 每个模块的应答超时\n";
        for (const SiteModule& module : bus.modules) {
            text += "\n  [[bus.module]]\n";
            text += "  address = " + std::to_string(module.address) + "\n";
            text += "  name = " + quoted(module.name) + "\n";
            if (module.channelNames.empty()) continue;
            text += "  [bus.module.channels]\n";
            for (const auto& [channel, name] : module.channelNames) {
                text += "  " + quoted(ChannelLabel(channel)) + " = " + quoted(name) + "\n";
            }
        }
    }
    return text;
}
