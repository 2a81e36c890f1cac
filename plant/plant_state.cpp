#include "plant/plant_state.h"

#include <algorithm>

namespace {

const std::map<std::uint64_t, AlarmEvent> kNoAlarms;

bool ConditionHolds(AlarmState state) {
    return state == AlarmState::ActiveUnacked || state == AlarmState::ActiveAcked;
}

}  // namespace

const char* ModuleStatusCode(ModuleStatus status) {
    switch (status) {
        case ModuleStatus::Ok: return "ok";
        case ModuleStatus::Failing: return "failing";
        case ModuleStatus::Offline: return "offline";
    }
    return "offline";
}

ModuleSnapshot& PlantState::Entry(int bus, int address) {
    ModuleSnapshot& module = modules_[{bus, address}];
    module.bus = bus;
    module.address = address;
    if (module.channelNames.size() != kReadingChannels) module.channelNames.resize(kReadingChannels);
    return module;
}

void PlantState::AddModule(int bus, int address, const std::string& name,
                           std::vector<std::string> channelNames) {
    std::lock_guard lock(mutex_);
    ModuleSnapshot& module = Entry(bus, address);
    module.module = name;
    channelNames.resize(kReadingChannels);
    module.channelNames = std::move(channelNames);
}

void PlantState::KeepOnly(const std::vector<std::pair<int, int>>& modules) {
    std::lock_guard lock(mutex_);
    std::erase_if(modules_, [&](const auto& entry) {
        return std::find(modules.begin(), modules.end(), entry.first) == modules.end();
    });
}

void PlantState::OnSiteReading(const SiteReading& reading) {
    std::lock_guard lock(mutex_);
    ModuleSnapshot& module = Entry(reading.bus, reading.address);
    if (!reading.module.empty()) module.module = reading.module;
    module.reading = reading.reading;
    module.failuresInRow = reading.reading.Ok() ? 0 : module.failuresInRow + 1;
}

void PlantState::OnAlarmChange(const AlarmEvent& event) {
    std::lock_guard lock(mutex_);
    // Where the alarm was kept until now: a reload may have given its bus another number.
    if (const auto kept = moduleOfAlarm_.find(event.id); kept != moduleOfAlarm_.end()) {
        const auto module = alarms_.find(kept->second);
        module->second.erase(event.id);
        if (module->second.empty()) alarms_.erase(module);
        moduleOfAlarm_.erase(kept);
    }
    if (event.state == AlarmState::Normal) return;
    const Key key{event.bus, event.address};
    alarms_[key][event.id] = event;
    moduleOfAlarm_[event.id] = key;
}

ModuleStatus PlantState::StatusOf(const ModuleSnapshot& module) const {
    if (const auto own = alarms_.find({module.bus, module.address}); own != alarms_.end()) {
        for (const auto& [id, alarm] : own->second) {
            if (alarm.kind == AlarmKind::Offline && ConditionHolds(alarm.state)) {
                return ModuleStatus::Offline;
            }
        }
    }
    if (!module.reading || module.failuresInRow >= offlineAfter_) return ModuleStatus::Offline;
    return module.reading->Ok() ? ModuleStatus::Ok : ModuleStatus::Failing;
}

ModuleSnapshot PlantState::Completed(const ModuleSnapshot& stored) const {
    ModuleSnapshot module = stored;
    const auto own = alarms_.find({module.bus, module.address});
    for (const auto& [id, alarm] : own != alarms_.end() ? own->second : kNoAlarms) {
        module.alarms.push_back(alarm);
        if (ConditionHolds(alarm.state)) ++module.activeAlarms;
    }
    module.status = StatusOf(module);
    return module;
}

std::vector<ModuleSnapshot> PlantState::Modules() const {
    std::lock_guard lock(mutex_);
    std::vector<ModuleSnapshot> result;
    result.reserve(modules_.size());
    for (const auto& [key, stored] : modules_) result.push_back(Completed(stored));
    return result;
}

std::optional<ModuleSnapshot> PlantState::Module(int address) const {
    std::lock_guard lock(mutex_);
    for (const auto& [key, stored] : modules_) {
        if (key.second == address) return Completed(stored);
    }
    return std::nullopt;
}

std::optional<ModuleSnapshot> PlantState::Module(int bus, int address) const {
    std::lock_guard lock(mutex_);
    const auto found = modules_.find({bus, address});
    if (found == modules_.end()) return std::nullopt;
    return Completed(found->second);
}
