#include "plant/mqtt_settings.h"

#include <charconv>

bool ParseBrokerUrl(const std::string& url, BrokerAddress& address, std::string& error) {
    std::string rest;
    if (url.rfind("mqtt://", 0) == 0) {
        address.tls = false;
        address.port = 1883;
        rest = url.substr(7);
    } else if (url.rfind("mqtts://", 0) == 0) {
        address.tls = true;
        address.port = 8883;
        rest = url.substr(8);
    } else {
        error = "MQTT 地址须以 mqtt:// 或 mqtts:// 开头, 不是 '" + url + "'";
        return false;
    }
    if (!rest.empty() && rest.back() == '/') rest.pop_back();
    std::string host = rest;
    // [v6::addr]:port, host:port or host.
    const std::size_t bracket = rest.find(']');
    const std::size_t colon = rest.rfind(':');
    if (colon != std::string::npos && (bracket == std::string::npos || colon > bracket)) {
        host = rest.substr(0, colon);
        const std::string port = rest.substr(colon + 1);
        int value = 0;
        const auto [end, ec] = std::from_chars(port.data(), port.data() + port.size(), value);
        if (port.empty() || ec != std::errc() || end != port.data() + port.size() || value < 1 ||
            value > 65535) {
            error = "MQTT 地址的端口须为 1 到 65535, 不是 '" + port + "'";
            return false;
        }
        address.port = value;
    }
    if (host.size() >= 2 && host.front() == '[' && host.back() == ']') {
        host = host.substr(1, host.size() - 2);
    }
    if (host.empty() || host.find('/') != std::string::npos) {
        error = "MQTT 地址缺少主机名: '" + url + "'";
        return false;
    }
    address.host = host;
    return true;
}
