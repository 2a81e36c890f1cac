#pragma once
// Acknowledgements from the plant handed to an alarm engine with Acknowledge(id, user) and
// AcknowledgeAll(user).
#include <cstdint>
#include <string>

#include "plant/mqtt_publisher.h"

template <class Engine>
class EngineAcknowledger : public AlarmAcknowledger {
public:
    explicit EngineAcknowledger(Engine& engine) : engine_(engine) {}
    bool Acknowledge(std::uint64_t id, const std::string& user) override {
        return engine_.Acknowledge(id, user);
    }
    int AcknowledgeAll(const std::string& user) override { return engine_.AcknowledgeAll(user); }

private:
    Engine& engine_;
};
