#pragma once
// The plant side of `k7r2 serve`: the site's state, its Modbus TCP server and its MQTT
// publisher, fed through two observers by whatever reads the buses and judges the alarms.
#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "plant/modbus_server.h"
#include "plant/mqtt_publisher.h"
#include "plant/plant_state.h"
#include "plant/serve_config.h"

class PlantService {
public:
    PlantService();
    ~PlantService();

    // Starts what the configuration asks for. False, with a Chinese `error`, when the Modbus
    // address cannot be bound or the MQTT settings are unusable; nothing runs then.
    bool Start(const ServeConfig& config, AlarmAcknowledger* acknowledger, std::string& error);
    // Takes a changed site file: restarts only the server or publisher whose settings changed.
    // Unusable MQTT settings change nothing; a Modbus address that cannot be bound leaves the
    // server where it was (the modules and the broker are taken from the new file).
    bool Reload(const ServeConfig& config, AlarmAcknowledger* acknowledger, std::string& error);
    void Stop();

    // Readings and alarm changes go in here; both are safe to call from any thread.
    SiteReadingObserver& Readings() { return readings_; }
    AlarmObserver& Alarms() { return alarms_; }

    // cycles, failures, broker state and Modbus clients, for the log.
    std::string StatusLine() const;
    int ModbusPort() const;  // 0 without a Modbus server

private:
    struct ReadingFanOut : SiteReadingObserver {
        explicit ReadingFanOut(PlantService& service) : service(service) {}
        void OnSiteReading(const SiteReading& reading) override;
        PlantService& service;
    };
    struct AlarmFanOut : AlarmObserver {
        explicit AlarmFanOut(PlantService& service) : service(service) {}
        void OnAlarmChange(const AlarmEvent& event) override;
        PlantService& service;
    };
    void Declare(const ServeConfig& config);

    std::unique_ptr<PlantState> state_;
    ReadingFanOut readings_{*this};
    AlarmFanOut alarms_{*this};

    mutable std::mutex mutex_;  // guards the parts below against a reload
    ServeConfig config_;
    std::unique_ptr<ModbusServer> modbus_;
    std::unique_ptr<MqttPublisher> mqtt_;
    std::map<int, int> lastAddressOfBus_;
    long long cycles_ = 0;
    long long readingsSeen_ = 0;
    long long failures_ = 0;
};
