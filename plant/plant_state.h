#pragma once
// What the plant service knows of each module of the site: its latest reading and its alarms.
// Fed by the bus threads (readings) and the alarm engine (changes); read by the Modbus TCP
// server and the MQTT publisher on their own threads.
#include <chrono>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "alarms/alarm_event.h"
#include "bus/site_reading.h"

// As the Modbus status register and the MQTT payload give it.
enum class ModuleStatus { Ok = 0, Failing = 1, Offline = 2 };
const char* ModuleStatusCode(ModuleStatus status);  // "ok", "failing", "offline"

struct ModuleSnapshot {
    int bus = 1;
    int address = 0;
    std::string module;
    std::vector<std::string> channelNames;  // 68, empty where the site file names none
    std::optional<Reading> reading;         // the latest, none before the first
    int failuresInRow = 0;
    ModuleStatus status = ModuleStatus::Offline;
    std::vector<AlarmEvent> alarms;  // the module's alarms not yet back to normal, by id
    int activeAlarms = 0;            // of those, the ones whose condition still holds
};

class PlantState : public SiteReadingObserver, public AlarmObserver {
public:
    // A module counts as offline from this many failed readings in a row, or while it has an
    // active 模块离线 alarm.
    explicit PlantState(int offlineAfter = 3) : offlineAfter_(offlineAfter) {}

    // Declares a module of the site file, so that it is served before its first reading.
    void AddModule(int bus, int address, const std::string& name,
                   std::vector<std::string> channelNames = {});
    // Forgets the modules not in `modules` (bus, address), as a reloaded site file drops them;
    // the others keep their readings, and alarms stay.
    void KeepOnly(const std::vector<std::pair<int, int>>& modules);

    void OnSiteReading(const SiteReading& reading) override;
    void OnAlarmChange(const AlarmEvent& event) override;

    // The module answering to `address`: where buses share an address, the lowest bus.
    std::optional<ModuleSnapshot> Module(int address) const;
    std::optional<ModuleSnapshot> Module(int bus, int address) const;
    std::vector<ModuleSnapshot> Modules() const;  // by bus, then address

private:
    using Key = std::pair<int, int>;  // bus, address
    ModuleSnapshot& Entry(int bus, int address);
    ModuleStatus StatusOf(const ModuleSnapshot& module) const;
    ModuleSnapshot Completed(const ModuleSnapshot& stored) const;  // with alarms and status

    const int offlineAfter_;
    mutable std::mutex mutex_;
    std::map<Key, ModuleSnapshot> modules_;
    // Not yet normal, by module, then id: a module's snapshot, taken for every reading, looks
    // only at its own.
    std::map<Key, std::map<std::uint64_t, AlarmEvent>> alarms_;
    std::map<std::uint64_t, Key> moduleOfAlarm_;  // where each of those is kept
};
