#include "alarms/alarm_engine.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "alarms/alarm_journal.h"

namespace {

constexpr double kNone = std::numeric_limits<double>::quiet_NaN();

// What each kind of sensor can measure; a value outside is a fault, not a temperature.
constexpr double kProbeMin = -55.0;
constexpr double kProbeMax = 125.0;
constexpr double kPt100Min = -200.0;
constexpr double kPt100Max = 850.0;

int KindIndex(AlarmKind kind) {
    return static_cast<int>(kind);
}

bool IsActiveState(AlarmState state) {
    return state == AlarmState::ActiveUnacked || state == AlarmState::ActiveAcked;
}

}  // namespace

AlarmEngine::AlarmEngine(SiteAlarmConfig config, AlarmJournal* journal) : journal_(journal) {
    for (ModuleAlarmConfig& module : config.modules) {
        const auto key = std::make_pair(module.bus, module.address);
        modules_.emplace(key, NewWatch(std::move(module)));
    }
    if (journal_ == nullptr) return;
    std::vector<AlarmEvent> records;
    std::string error;
    if (!journal_->Load(records, error)) {
        journalError_ = error;
        return;
    }
    const JournalReplay replay = ReplayJournal(records);
    nextId_ = replay.nextId;
    for (const AlarmEvent& alarm : replay.Open()) {
        ModuleWatch& module = WatchOf(alarm.bus, alarm.address, alarm.module);
        if (std::uint64_t* slot = OpenSlot(module, alarm.channel, alarm.kind)) *slot = alarm.id;
        open_[alarm.id] = alarm;
    }
}

AlarmEngine::ModuleWatch AlarmEngine::NewWatch(ModuleAlarmConfig config) {
    ModuleWatch watch;
    watch.channels.resize(kReadingChannels);
    for (int channel = 0; channel < kReadingChannels; ++channel) {
        const AlarmLimits& limits = config.channels[static_cast<std::size_t>(channel)];
        Rule& rule = watch.channels[static_cast<std::size_t>(channel)].rule;
        rule.high = limits.high.has_value();
        rule.low = limits.low.has_value();
        rule.rise = limits.rise.has_value();
        rule.delay = limits.delay;
        rule.highLimit = limits.high.value_or(0);
        rule.lowLimit = limits.low.value_or(0);
        rule.riseLimit = limits.rise.value_or(0);
        rule.deadband = limits.deadband;
        rule.window = std::chrono::duration_cast<std::chrono::system_clock::duration>(
            std::chrono::duration<double, std::ratio<3600>>(limits.riseWindowHours));
    }
    watch.config = std::move(config);
    return watch;
}

AlarmEngine::ModuleWatch& AlarmEngine::WatchOf(int bus, int address, const std::string& name) {
    const auto key = std::make_pair(bus, address);
    auto it = modules_.find(key);
    if (it != modules_.end()) return it->second;
    // A module the site file does not list: no limits, but faults and silence still count.
    return modules_.emplace(key, NewWatch(UniformModule(bus, address, name, AlarmLimits{})))
        .first->second;
}

std::uint64_t* AlarmEngine::OpenSlot(ModuleWatch& module, int channel, AlarmKind kind) {
    if (kind == AlarmKind::Offline) return &module.offline;
    if (channel < 0 || channel >= kReadingChannels) return nullptr;
    return &module.channels[static_cast<std::size_t>(channel)].open[KindIndex(kind)];
}

bool AlarmEngine::IsActive(std::uint64_t id) const {
    if (id == 0) return false;
    const auto it = open_.find(id);
    return it != open_.end() && IsActiveState(it->second.state);
}

void AlarmEngine::OnSiteReading(const SiteReading& reading) {
    LockHold changes(changeMutex_);
    std::vector<AlarmEvent> changed;
    {
        LockHold lock(mutex_);
        ModuleWatch& module = WatchOf(reading.bus, reading.address, reading.module);
        if (!reading.module.empty()) module.config.name = reading.module;
        Evaluate(module, reading);
        changed.swap(pending_);
    }
    Publish(std::move(changed));
}

void AlarmEngine::Evaluate(ModuleWatch& module, const SiteReading& site) {
    const Reading& reading = site.reading;
    if (!reading.Ok()) {
        ++module.failedInRow;
        if (module.failedInRow >= module.config.module.offlineAfter && !IsActive(module.offline)) {
            Raise(module, -1, AlarmKind::Offline, kNone, kNone, reading.time);
        }
        return;  // a failed reading tells nothing about the channels: their counts stand
    }
    module.failedInRow = 0;
    if (IsActive(module.offline)) Clear(module, -1, AlarmKind::Offline, kNone, reading.time);
    for (int channel = 0; channel < kReadingChannels; ++channel) {
        EvaluateChannel(module, channel, reading);
    }
}

void AlarmEngine::EvaluateChannel(ModuleWatch& module, int channel, const Reading& reading) {
    ChannelWatch& watch = module.channels[static_cast<std::size_t>(channel)];
    const Rule& rule = watch.rule;
    const int fault = KindIndex(AlarmKind::SensorFault);
    if (static_cast<std::size_t>(channel) >= reading.words.size()) {
        // A probe that was in the block and is gone has failed, as one reading out of range.
        if (watch.seen && !IsActive(watch.open[fault])) {
            Raise(module, channel, AlarmKind::SensorFault, kNone, kNone, reading.time);
        }
        return;
    }
    watch.seen = true;
    const std::uint16_t word = reading.words[static_cast<std::size_t>(channel)];
    const int magnitude = word & 0x7FFF;
    const int tenths = (word & 0x8000) != 0 ? -magnitude : magnitude;
    // Tenths divided by ten: the same double as the limit "30.1" typed in the site file; the
    // sign kept apart so that -0.0 stays what the module sent.
    const double value = (word & 0x8000) != 0 ? -(magnitude / 10.0) : magnitude / 10.0;
    const bool pt100 = channel < kReadingPt100s;
    const double min = pt100 ? kPt100Min : kProbeMin;
    const double max = pt100 ? kPt100Max : kProbeMax;
    if (value < min || value > max) {
        if (!IsActive(watch.open[fault])) {
            Raise(module, channel, AlarmKind::SensorFault, value, value > max ? max : min,
                  reading.time);
        }
        return;  // no temperature to compare with the limits; their counts stand
    }
    if (IsActive(watch.open[fault])) {
        Clear(module, channel, AlarmKind::SensorFault, value, reading.time);
    }
    const double deadband = rule.deadband;
    // A limit with nothing open and nothing counted has nothing to do while the value is
    // within it, which is nearly every reading: Limit is called only otherwise.
    const auto busy = [&watch](AlarmKind kind, int counted) {
        return counted != 0 || watch.open[KindIndex(kind)] != 0;
    };
    if (rule.high && (value > rule.highLimit || busy(AlarmKind::High, watch.beyond[0]))) {
        Limit(module, channel, AlarmKind::High, watch.beyond[0], value - rule.highLimit,
              rule.highLimit - deadband - value, rule.delay, value, rule.highLimit, reading.time);
    }
    if (rule.low && (value < rule.lowLimit || busy(AlarmKind::Low, watch.beyond[1]))) {
        Limit(module, channel, AlarmKind::Low, watch.beyond[1], rule.lowLimit - value,
              value - (rule.lowLimit + deadband), rule.delay, value, rule.lowLimit, reading.time);
    }
    if (rule.rise) {
        // Whole tenths: the difference is exact, as the module's readings are.
        const double rise = (tenths - watch.lows.Add(reading.time, tenths, rule.window)) / 10.0;
        if (rise > rule.riseLimit || busy(AlarmKind::RiseRate, watch.beyond[2])) {
            Limit(module, channel, AlarmKind::RiseRate, watch.beyond[2], rise - rule.riseLimit,
                  rule.riseLimit - deadband - rise, rule.delay, rise, rule.riseLimit, reading.time);
        }
    }
}

// `excess` > 0: the reading is strictly beyond the limit; `clearance` > 0: it is back past the
// limit by more than the deadband.
void AlarmEngine::Limit(ModuleWatch& module, int channel, AlarmKind kind, int& beyond,
                        double excess, double clearance, int delay, double value, double limit,
                        std::chrono::system_clock::time_point time) {
    const std::uint64_t id = module.channels[static_cast<std::size_t>(channel)].open[KindIndex(kind)];
    if (IsActive(id)) {
        beyond = 0;
        if (clearance > 0) Clear(module, channel, kind, value, time);
        return;
    }
    if (excess <= 0) {
        beyond = 0;
        return;
    }
    if (++beyond >= delay) {
        beyond = 0;
        Raise(module, channel, kind, value, limit, time);
    }
}

void AlarmEngine::Raise(ModuleWatch& module, int channel, AlarmKind kind, double value,
                        double limit, std::chrono::system_clock::time_point time) {
    std::uint64_t* slot = OpenSlot(module, channel, kind);
    AlarmEvent event;
    if (*slot != 0) {
        event = open_[*slot];  // cleared, not yet acknowledged, and back again: the same alarm
    } else {
        event.id = nextId_++;
        event.bus = module.config.bus;
        event.address = module.config.address;
        event.channel = channel;
        event.kind = kind;
        *slot = event.id;
    }
    event.module = module.config.name;
    event.channelName =
        channel < 0 ? std::string() : module.config.channelNames[static_cast<std::size_t>(channel)];
    event.time = time;
    event.value = value;
    event.limit = limit;
    event.state = AlarmState::ActiveUnacked;
    event.user.clear();
    Record(std::move(event));
}

void AlarmEngine::Clear(ModuleWatch& module, int channel, AlarmKind kind, double value,
                        std::chrono::system_clock::time_point time) {
    std::uint64_t* slot = OpenSlot(module, channel, kind);
    AlarmEvent event = open_[*slot];
    event.time = time;
    event.value = value;
    event.user.clear();
    event.state = event.state == AlarmState::ActiveAcked ? AlarmState::Normal
                                                         : AlarmState::ClearedUnacked;
    if (event.state == AlarmState::Normal) *slot = 0;
    Record(std::move(event));
}

void AlarmEngine::Record(AlarmEvent event) {
    if (journal_ != nullptr) {
        std::string error;
        if (!journal_->Append(event, error)) journalError_ = error;
    }
    if (event.state == AlarmState::Normal) {
        open_.erase(event.id);
    } else {
        open_[event.id] = event;
    }
    pending_.push_back(std::move(event));
}

void AlarmEngine::Publish(std::vector<AlarmEvent> changes) {
    std::vector<AlarmObserver*> observers;
    {
        LockHold lock(mutex_);
        observers = observers_;
    }
    for (const AlarmEvent& event : changes) {
        for (AlarmObserver* observer : observers) observer->OnAlarmChange(event);
    }
}

void AlarmEngine::AddObserver(AlarmObserver* observer) {
    LockHold lock(mutex_);
    observers_.push_back(observer);
}

void AlarmEngine::RemoveObserver(AlarmObserver* observer) {
    LockHold changes(changeMutex_);  // not while a change is being told to it
    LockHold lock(mutex_);
    observers_.erase(std::remove(observers_.begin(), observers_.end(), observer),
                     observers_.end());
}

std::vector<AlarmEvent> AlarmEngine::Active() const {
    LockHold lock(mutex_);
    std::vector<AlarmEvent> alarms;
    alarms.reserve(open_.size());
    for (const auto& [id, event] : open_) alarms.push_back(event);
    return alarms;
}

bool AlarmEngine::Acknowledge(std::uint64_t id, const std::string& user) {
    LockHold changes(changeMutex_);
    std::vector<AlarmEvent> changed;
    {
        LockHold lock(mutex_);
        const auto it = open_.find(id);
        if (it == open_.end() || it->second.state == AlarmState::ActiveAcked) return false;
        AlarmEvent event = it->second;
        event.time = std::chrono::system_clock::now();
        event.user = user;
        if (event.state == AlarmState::ActiveUnacked) {
            event.state = AlarmState::ActiveAcked;
        } else {
            event.state = AlarmState::Normal;
            const auto module = modules_.find(std::make_pair(event.bus, event.address));
            if (module != modules_.end()) {
                if (std::uint64_t* slot = OpenSlot(module->second, event.channel, event.kind)) {
                    *slot = 0;
                }
            }
        }
        Record(std::move(event));
        changed.swap(pending_);
    }
    Publish(std::move(changed));
    return true;
}

int AlarmEngine::AcknowledgeAll(const std::string& user) {
    LockHold changes(changeMutex_);
    std::vector<std::uint64_t> ids;
    for (const AlarmEvent& event : Active()) {
        if (event.state != AlarmState::ActiveAcked) ids.push_back(event.id);
    }
    int acknowledged = 0;
    for (const std::uint64_t id : ids) acknowledged += Acknowledge(id, user) ? 1 : 0;
    return acknowledged;
}

int AlarmEngine::ActiveCount(int bus, int address) const {
    LockHold lock(mutex_);
    int count = 0;
    for (const auto& [id, event] : open_) {
        if (event.bus == bus && event.address == address && IsActiveState(event.state)) ++count;
    }
    return count;
}

std::string AlarmEngine::JournalError() const {
    LockHold lock(mutex_);
    return journalError_;
}
