#pragma once
// How the plant service reaches its MQTT broker: the site file's [mqtt] table.
#include <string>

struct MqttSettings {
    std::string url = "mqtt://127.0.0.1:1883";  // mqtt://host[:port] or mqtts://host[:port]
    std::string clientId;
    std::string user;
    std::string password;
    std::string passwordFile;  // its first line, when password is empty
    std::string caFile;        // mqtts: the CA to trust; else the system's certificates
    std::string prefix = "k7r2";
    int qos = 1;
};

struct BrokerAddress {
    std::string host;
    int port = 1883;
    bool tls = false;
};

// False with a Chinese `error` for a URL of another scheme, without a host or with a bad port.
bool ParseBrokerUrl(const std::string& url, BrokerAddress& address, std::string& error);
