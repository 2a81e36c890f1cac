#pragma once
// What `k7r2 serve` takes from the site file: the site's name, its modules and their channel
// names, the [mqtt] and [modbus] tables. The buses themselves are the bus runner's.
#include <optional>
#include <string>
#include <vector>

#include "plant/mqtt_settings.h"

struct ServeModule {
    int bus = 1;
    int address = 0;
    std::string name;
    std::vector<std::string> channelNames;  // 68, by channel; empty where unnamed
};

struct ModbusSettings {
    std::string listen = "0.0.0.0";
    int port = 1502;
};

struct ServeConfig {
    std::string site;
    std::optional<MqttSettings> mqtt;      // none without an [mqtt] table
    std::optional<ModbusSettings> modbus;  // none without a [modbus] table
    std::vector<ServeModule> modules;      // by bus, in file order
    int offlineAfter = 3;                  // [alarms] offline_after
    std::vector<std::string> warnings;     // usable, but worth a line in the log
};

// False with a Chinese `error` naming the file and the fault.
bool LoadServeConfig(const std::string& path, ServeConfig& config, std::string& error);
