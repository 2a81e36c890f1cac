#include "plant/plant_service.h"

#include <cstdio>

namespace {

bool SameBroker(const std::optional<MqttSettings>& a, const std::optional<MqttSettings>& b) {
    if (a.has_value() != b.has_value()) return false;
    if (!a) return true;
    return a->url == b->url && a->clientId == b->clientId && a->user == b->user &&
           a->password == b->password && a->passwordFile == b->passwordFile &&
           a->caFile == b->caFile && a->prefix == b->prefix && a->qos == b->qos;
}

bool SameListener(const std::optional<ModbusSettings>& a, const std::optional<ModbusSettings>& b) {
    if (a.has_value() != b.has_value()) return false;
    return !a || (a->listen == b->listen && a->port == b->port);
}

}  // namespace

PlantService::PlantService() : state_(std::make_unique<PlantState>()) {}

PlantService::~PlantService() { Stop(); }

void PlantService::Declare(const ServeConfig& config) {
    std::vector<std::pair<int, int>> declared;
    for (const ServeModule& module : config.modules) declared.emplace_back(module.bus, module.address);
    state_->KeepOnly(declared);
    for (const ServeModule& module : config.modules) {
        state_->AddModule(module.bus, module.address, module.name, module.channelNames);
    }
}

bool PlantService::Start(const ServeConfig& config, AlarmAcknowledger* acknowledger,
                         std::string& error) {
    std::lock_guard lock(mutex_);
    state_ = std::make_unique<PlantState>(config.offlineAfter);
    Declare(config);
    std::unique_ptr<ModbusServer> modbus;
    if (config.modbus) {
        modbus = std::make_unique<ModbusServer>(*state_);
        if (!modbus->Start(config.modbus->listen, config.modbus->port, error)) return false;
    }
    std::unique_ptr<MqttPublisher> mqtt;
    if (config.mqtt) {
        mqtt = std::make_unique<MqttPublisher>(*config.mqtt, config.site, *state_, acknowledger);
        if (!mqtt->Start(error)) return false;
    }
    config_ = config;
    modbus_ = std::move(modbus);
    mqtt_ = std::move(mqtt);
    return true;
}

bool PlantService::Reload(const ServeConfig& config, AlarmAcknowledger* acknowledger,
                          std::string& error) {
    // Settings that cannot work leave everything running as it is.
    if (config.mqtt && !MqttPublisher::CheckSettings(*config.mqtt, error)) return false;
    std::unique_ptr<MqttPublisher> oldMqtt;
    bool newBroker = false;
    {
        std::lock_guard lock(mutex_);
        newBroker = !SameBroker(config_.mqtt, config.mqtt) || config_.site != config.site;
        if (newBroker) oldMqtt = std::move(mqtt_);  // meanwhile readings only reach the state
    }
    // The old connection ends cleanly (its own "offline", no will) before the new one, perhaps
    // with the same client id, says "online". Outside the lock: the old publisher's network
    // thread may be handing an acknowledgement to the alarm engine, whose change comes back
    // through this service.
    if (oldMqtt) oldMqtt->Stop();

    std::unique_ptr<ModbusServer> oldModbus;  // stopped after the lock is released
    std::lock_guard lock(mutex_);
    Declare(config);
    config_.modules = config.modules;
    if (newBroker) {
        config_.mqtt = config.mqtt;
        config_.site = config.site;
        if (config.mqtt) {
            auto mqtt = std::make_unique<MqttPublisher>(*config.mqtt, config.site, *state_,
                                                        acknowledger);
            if (!mqtt->Start(error)) {
                config_.mqtt.reset();
                return false;
            }
            mqtt_ = std::move(mqtt);
        }
    }
    if (!SameListener(config_.modbus, config.modbus)) {
        std::unique_ptr<ModbusServer> modbus;
        if (config.modbus) {
            // The old server lets go of its port first, in case the new one wants the same.
            if (modbus_) modbus_->Stop();
            modbus = std::make_unique<ModbusServer>(*state_);
            if (!modbus->Start(config.modbus->listen, config.modbus->port, error)) {
                std::string again;
                if (modbus_) modbus_->Start(config_.modbus->listen, config_.modbus->port, again);
                return false;
            }
        }
        oldModbus = std::move(modbus_);
        modbus_ = std::move(modbus);
        config_.modbus = config.modbus;
    }
    config_.offlineAfter = config.offlineAfter;
    return true;
}

void PlantService::Stop() {
    std::unique_ptr<MqttPublisher> mqtt;
    std::unique_ptr<ModbusServer> modbus;
    {
        std::lock_guard lock(mutex_);
        mqtt = std::move(mqtt_);
        modbus = std::move(modbus_);
    }
    if (mqtt) mqtt->Stop();
    if (modbus) modbus->Stop();
}

void PlantService::ReadingFanOut::OnSiteReading(const SiteReading& reading) {
    std::lock_guard lock(service.mutex_);
    auto [last, fresh] = service.lastAddressOfBus_.emplace(reading.bus, reading.address);
    // Each cycle reads its bus's modules in ascending address order.
    if (fresh || reading.address <= last->second) ++service.cycles_;
    last->second = reading.address;
    ++service.readingsSeen_;
    if (!reading.reading.Ok()) ++service.failures_;
    service.state_->OnSiteReading(reading);
    if (service.mqtt_) service.mqtt_->OnSiteReading(reading);
}

void PlantService::AlarmFanOut::OnAlarmChange(const AlarmEvent& event) {
    std::lock_guard lock(service.mutex_);
    service.state_->OnAlarmChange(event);
    if (service.mqtt_) service.mqtt_->OnAlarmChange(event);
}

std::string PlantService::StatusLine() const {
    std::lock_guard lock(mutex_);
    char line[256];
    std::snprintf(line, sizeof line, "周期 %lld, 读数 %lld, 失败 %lld", cycles_, readingsSeen_,
                  failures_);
    std::string text = line;
    if (mqtt_) {
        text += mqtt_->Connected() ? ", MQTT 已连接" : ", MQTT 未连接";
        std::snprintf(line, sizeof line, " (待发报警 %zu, 丢弃 %llu)", mqtt_->Backlog(),
                      static_cast<unsigned long long>(mqtt_->Dropped()));
        text += line;
    }
    if (modbus_) {
        std::snprintf(line, sizeof line, ", Modbus 客户端 %d", modbus_->Clients());
        text += line;
    }
    return text;
}

int PlantService::ModbusPort() const {
    std::lock_guard lock(mutex_);
    return modbus_ ? modbus_->Port() : 0;
}
