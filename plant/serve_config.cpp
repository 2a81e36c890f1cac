#include "plant/serve_config.h"

#include <filesystem>
#include <map>
#include <set>
#include <stdexcept>
#include <toml.hpp>

#include "record/readings_csv.h"

namespace {

struct ConfigError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

const toml::value* Find(const toml::value& table, const char* key) {
    if (!table.is_table()) return nullptr;
    const auto& entries = table.as_table();
    const auto found = entries.find(key);
    return found == entries.end() ? nullptr : &found->second;
}

std::string String(const toml::value& table, const char* key, const std::string& fallback,
                   const std::string& where) {
    const toml::value* value = Find(table, key);
    if (!value) return fallback;
    if (!value->is_string()) throw ConfigError(where + "." + key + " 须为字符串");
    return value->as_string().str;
}

long long Integer(const toml::value& table, const char* key, long long fallback, long long low,
                  long long high, const std::string& where) {
    const toml::value* value = Find(table, key);
    if (!value) return fallback;
    if (!value->is_integer() || value->as_integer() < low || value->as_integer() > high) {
        throw ConfigError(where + "." + key + " 须为" + std::to_string(low) + "到" +
                          std::to_string(high) + "的整数");
    }
    return value->as_integer();
}

MqttSettings ReadMqtt(const toml::value& table) {
    MqttSettings mqtt;
    mqtt.url = String(table, "url", mqtt.url, "mqtt");
    mqtt.clientId = String(table, "client_id", "", "mqtt");
    mqtt.user = String(table, "user", "", "mqtt");
    mqtt.password = String(table, "password", "", "mqtt");
    mqtt.passwordFile = String(table, "password_file", "", "mqtt");
    mqtt.caFile = String(table, "ca_file", "", "mqtt");
    mqtt.prefix = String(table, "prefix", mqtt.prefix, "mqtt");
    mqtt.qos = static_cast<int>(Integer(table, "qos", 1, 0, 2, "mqtt"));
    BrokerAddress broker;
    std::string error;
    if (!ParseBrokerUrl(mqtt.url, broker, error)) throw ConfigError(error);
    if (mqtt.prefix.empty()) throw ConfigError("mqtt.prefix 不能为空");
    return mqtt;
}

std::vector<std::string> ReadChannelNames(const toml::value& module, const std::string& where) {
    static const std::map<std::string, int> channelOfLabel = [] {
        std::map<std::string, int> map;
        for (int channel = 0; channel < kReadingChannels; ++channel) map[ChannelLabel(channel)] = channel;
        return map;
    }();
    std::vector<std::string> names(kReadingChannels);
    const toml::value* channels = Find(module, "channels");
    if (!channels) return names;
    if (!channels->is_table()) throw ConfigError(where + ".channels 须为表");
    for (const auto& [label, name] : channels->as_table()) {
        const auto found = channelOfLabel.find(label);
        if (found == channelOfLabel.end()) {
            throw ConfigError(where + ".channels: 没有通道 \"" + label + "\"");
        }
        if (!name.is_string()) throw ConfigError(where + ".channels.\"" + label + "\" 须为字符串");
        names[static_cast<std::size_t>(found->second)] = name.as_string().str;
    }
    return names;
}

void Read(const toml::value& root, ServeConfig& config) {
    config.site = String(root, "name", "", "站点");
    if (config.site.empty()) throw ConfigError("缺少站点名称 name");
    if (const toml::value* mqtt = Find(root, "mqtt")) config.mqtt = ReadMqtt(*mqtt);
    if (const toml::value* modbus = Find(root, "modbus")) {
        ModbusSettings settings;
        settings.listen = String(*modbus, "listen", settings.listen, "modbus");
        settings.port = static_cast<int>(Integer(*modbus, "port", settings.port, 0, 65535, "modbus"));
        config.modbus = settings;
    }
    if (const toml::value* alarms = Find(root, "alarms")) {
        config.offlineAfter =
            static_cast<int>(Integer(*alarms, "offline_after", 3, 1, 1000000, "alarms"));
    }
    const toml::value* buses = Find(root, "bus");
    if (!buses || !buses->is_array() || buses->as_array().empty()) {
        throw ConfigError("站点没有总线 [[bus]]");
    }
    std::map<int, int> busOfAddress;
    int busNumber = 0;
    for (const toml::value& bus : buses->as_array()) {
        ++busNumber;
        const std::string where = "总线 " + std::to_string(busNumber);
        const toml::value* modules = Find(bus, "module");
        if (!modules) continue;
        if (!modules->is_array()) throw ConfigError(where + ": module 须为 [[bus.module]] 数组");
        std::set<int> addresses;
        for (const toml::value& module : modules->as_array()) {
            ServeModule served;
            served.bus = busNumber;
            served.address = static_cast<int>(Integer(module, "address", -1, 0, 255, where + " 模块"));
            if (served.address < 0) throw ConfigError(where + ": 模块缺少地址 address");
            const std::string at = where + " 地址 " + std::to_string(served.address);
            if (!addresses.insert(served.address).second) throw ConfigError(at + " 重复");
            served.name = String(module, "name", "", at);
            served.channelNames = ReadChannelNames(module, at);
            if (const auto [other, fresh] = busOfAddress.emplace(served.address, busNumber); !fresh) {
                config.warnings.push_back(at + " 与总线 " + std::to_string(other->second) +
                                          " 的模块地址相同: MQTT 主题和 Modbus 单元号只给总线 " +
                                          std::to_string(other->second) + " 的模块");
            }
            config.modules.push_back(std::move(served));
        }
    }
}

}  // namespace

bool LoadServeConfig(const std::string& path, ServeConfig& config, std::string& error) {
    config = ServeConfig{};
    std::error_code missing;
    if (!std::filesystem::is_regular_file(path, missing)) {
        error = "站点文件 " + path + " 不存在或不是文件";
        return false;
    }
    try {
        Read(toml::parse(path), config);
        return true;
    } catch (const ConfigError& fault) {
        error = "站点文件 " + path + ": " + fault.what();
    } catch (const std::exception& fault) {
        error = "站点文件 " + path + " 无法读取: " + fault.what();
    }
    return false;
}
