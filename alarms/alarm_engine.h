#pragma once
// Watches the site's readings against their limits and keeps every alarm's state: raised
// active and unacknowledged, acknowledged, cleared but not yet acknowledged, back to normal.
// Each change goes to the journal first and to the observers after. No GUI toolkit here.
//
// Readings arrive on the bus threads, acknowledgements on any other; every member is safe to
// call from any thread, also from inside an observer.
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "alarms/alarm_event.h"
#include "alarms/recursive_lock.h"
#include "alarms/rise_window.h"
#include "alarms/site_alarm_config.h"
#include "bus/site_reading.h"

class AlarmJournal;

class AlarmEngine : public SiteReadingObserver {
public:
    // `journal` (may be null: nothing is journaled) must outlive the engine. The alarms the
    // journal holds open are restored, and new alarms continue its ids.
    AlarmEngine(SiteAlarmConfig config, AlarmJournal* journal);
    AlarmEngine(const AlarmEngine&) = delete;
    AlarmEngine& operator=(const AlarmEngine&) = delete;

    void OnSiteReading(const SiteReading& reading) override;

    void AddObserver(AlarmObserver* observer);
    void RemoveObserver(AlarmObserver* observer);

    // Every alarm that is not normal (active, or cleared and not yet acknowledged), oldest
    // first, each as its latest change.
    std::vector<AlarmEvent> Active() const;
    // Acknowledges the alarm: active ones stay active, cleared ones become normal. False when
    // there is no such alarm or it was already acknowledged.
    bool Acknowledge(std::uint64_t id, const std::string& user);
    int AcknowledgeAll(const std::string& user);
    // The module's alarms whose condition holds now (acknowledged or not).
    int ActiveCount(int bus, int address) const;
    // The reason the journal last refused a change; empty while every write succeeded. A change
    // the journal refused is still shown: a missed alarm costs more than a missing record.
    std::string JournalError() const;

private:
    static constexpr int kChannelKinds = 4;  // High, Low, RiseRate, SensorFault
    // A channel's limits as the evaluation reads them, next to its counts so that one
    // channel's work stays within a few cache lines.
    struct Rule {
        bool high = false, low = false, rise = false;
        int delay = 1;
        double highLimit = 0, lowLimit = 0, deadband = 0, riseLimit = 0;
        std::chrono::system_clock::duration window{};
    };
    struct ChannelWatch {
        Rule rule;
        int beyond[3] = {0, 0, 0};  // consecutive readings beyond, High, Low, RiseRate
        bool seen = false;          // was in a block since the start
        std::uint64_t open[kChannelKinds] = {0, 0, 0, 0};  // ids of alarms not normal
        RiseWindow lows;
    };
    struct ModuleWatch {
        ModuleAlarmConfig config;
        int failedInRow = 0;
        std::uint64_t offline = 0;
        std::vector<ChannelWatch> channels;
    };

    static ModuleWatch NewWatch(ModuleAlarmConfig config);
    ModuleWatch& WatchOf(int bus, int address, const std::string& name);
    std::uint64_t* OpenSlot(ModuleWatch& module, int channel, AlarmKind kind);
    bool IsActive(std::uint64_t id) const;
    void Evaluate(ModuleWatch& module, const SiteReading& reading);
    void EvaluateChannel(ModuleWatch& module, int channel, const Reading& reading);
    void Limit(ModuleWatch& module, int channel, AlarmKind kind, int& beyond, double excess,
               double clearance, int delay, double value, double limit,
               std::chrono::system_clock::time_point time);
    void Raise(ModuleWatch& module, int channel, AlarmKind kind, double value, double limit,
               std::chrono::system_clock::time_point time);
    void Clear(ModuleWatch& module, int channel, AlarmKind kind, double value,
               std::chrono::system_clock::time_point time);
    void Record(AlarmEvent event);
    void Publish(std::vector<AlarmEvent> changes);

    // Serialises changes, so observers see them in the journal's order; recursive so that an
    // observer may acknowledge.
    mutable RecursiveLock changeMutex_;
    mutable RecursiveLock mutex_;
    AlarmJournal* journal_;
    std::map<std::pair<int, int>, ModuleWatch> modules_;
    std::map<std::uint64_t, AlarmEvent> open_;
    std::uint64_t nextId_ = 1;
    std::vector<AlarmEvent> pending_;  // changes of the reading or acknowledgement at hand
    std::vector<AlarmObserver*> observers_;
    std::string journalError_;
};
