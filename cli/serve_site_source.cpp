// The buses and alarm engine `k7r2 serve` runs. Each bus has a runner of its own, so that a
// reload of the site file leaves the buses whose settings did not change running on their
// schedule; only changed, added and removed buses are started or ended, each between two of its
// cycles. The readings CSVs, the alarm engine (its journal beside the site file, as
// `k7r2 alarms` reads it) and the module names are taken from the changed file as a whole, once
// everything in it has been read and opened: a bad file changes nothing. The alarm engine is
// replaced only when what it reads from the file changed, so that otherwise its delays, rise
// windows and offline counts go on across the reload.
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <map>
#include <optional>
#include <mutex>
#include <shared_mutex>
#include <sstream>
#include <thread>
#include <toml.hpp>

#include "alarms/alarm_engine.h"
#include "alarms/alarm_journal.h"
#include "bus/bus_runner.h"
#include "cli/site_csv_recorder.h"
#include "link/port_directory.h"
#include "plant/engine_acknowledger.h"
#include "plant/site_source.h"
#include "site/site_file.h"

namespace {

using Clock = std::chrono::steady_clock;

// What the readings go to besides the plant, as one reading of the site file sets it up.
struct Sinks {
    std::unique_ptr<SiteCsvRecorder> recorder;
    std::unique_ptr<AlarmJournal> journal;
    std::unique_ptr<AlarmEngine> engine;  // made only once it is taken: it replays the journal
    std::optional<SiteAlarmConfig> limits;
    std::optional<std::string> alarmSettings;  // see AlarmSettingsText()
    std::map<std::pair<int, int>, std::string> names;  // module names by bus and address
    ~Sinks() {
        engine.reset();  // before the journal it writes to
        if (recorder) recorder->Close();
    }
};

// A bus is kept running across a reload only when nothing its runner reads changed.
bool SameBus(const SiteBus& a, const SiteBus& b) {
    if (a.port != b.port || a.device != b.device || a.baud != b.baud ||
        a.periodMs != b.periodMs || a.timeoutMs != b.timeoutMs ||
        a.modules.size() != b.modules.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.modules.size(); ++i) {
        if (a.modules[i].address != b.modules[i].address) return false;
    }
    return true;
}

// What the alarm engine reads from a site file, as text: the [alarms] table and every module's
// bus, address, name, channel names and alarm tables. None when the file cannot be read.
std::optional<std::string> AlarmSettingsText(const std::string& siteFile) {
    try {
        const toml::value root = toml::parse(siteFile);
        std::ostringstream text;
        const auto& table = root.as_table();
        if (const auto alarms = table.find("alarms"); alarms != table.end()) {
            text << "[alarms]\n" << alarms->second << '\n';
        }
        const auto buses = table.find("bus");
        if (buses == table.end() || !buses->second.is_array()) return text.str();
        int bus = 0;
        for (const toml::value& busTable : buses->second.as_array()) {
            ++bus;
            if (!busTable.is_table()) continue;
            const auto modules = busTable.as_table().find("module");
            if (modules == busTable.as_table().end() || !modules->second.is_array()) continue;
            for (const toml::value& module : modules->second.as_array()) {
                text << "[bus " << bus << "]\n";
                if (!module.is_table()) continue;
                for (const char* key : {"address", "name", "channels", "alarms", "channel_alarms"}) {
                    const auto value = module.as_table().find(key);
                    if (value != module.as_table().end()) text << key << " = " << value->second << '\n';
                }
            }
        }
        return text.str();
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

class BusSiteSource;

// One bus of the site under a runner of its own. Its readings carry the bus's number in the
// site file of the moment, which a reload may change.
class RunningBus : public SiteReadingObserver, public BusCycleObserver {
public:
    RunningBus(BusSiteSource& source, const SiteBus& bus, int number);
    ~RunningBus() override { runner_->Stop(); }

    void Start() { runner_->Start(); }
    // Ends the bus between two cycles: at once while it waits for its next one, else after the
    // cycle at hand (or, should the bus hang, after the longest a cycle can take).
    void EndBetweenCycles();

    void OnSiteReading(const SiteReading& reading) override;
    void OnBusCycle(const BusCycleReport& report) override;

    const SiteBus& Bus() const { return bus_; }
    int number;  // 1-based, file order; guarded by the source's sinks lock

private:
    BusSiteSource& source_;
    const SiteBus bus_;
    std::unique_ptr<BusRunner> runner_;
    std::mutex mutex_;
    std::condition_variable cycleEnded_;
    bool inCycle_ = false;
    long long cyclesEnded_ = 0;
    Clock::time_point nextStart_{};
};

class BusSiteSource : public SiteSource {
public:
    explicit BusSiteSource(std::string csvDir) : csvDir_(std::move(csvDir)), acknowledger_(*this) {}
    ~BusSiteSource() override { Stop(); }

    bool Start(const std::string& siteFile, SiteReadingObserver& readings, AlarmObserver& alarms,
               std::string& error) override {
        readings_ = &readings;
        alarms_ = &alarms;
        Site site;
        std::unique_ptr<Sinks> sinks = Prepare(siteFile, site, error);
        if (!sinks) return false;
        std::vector<std::unique_ptr<RunningBus>> buses;
        for (std::size_t index = 0; index < site.buses.size(); ++index) {
            buses.push_back(MakeBus(site.buses[index], static_cast<int>(index) + 1));
        }
        Take(std::move(sinks), std::move(buses), siteFile);
        for (auto& bus : buses_) bus->Start();
        return true;
    }

    bool Reload(const std::string& siteFile, std::string& error) override {
        Site site;
        std::unique_ptr<Sinks> sinks = Prepare(siteFile, site, error);
        if (!sinks) return false;
        // Every bus of the new file either keeps a running bus with the same settings (perhaps
        // under another number) or gets a new one; the running buses left over end.
        std::vector<std::unique_ptr<RunningBus>> next(site.buses.size());
        std::vector<std::unique_ptr<RunningBus>> ending;
        for (auto& running : buses_) {
            std::size_t match = 0;
            while (match < next.size() && (next[match] || !SameBus(running->Bus(), site.buses[match]))) {
                ++match;
            }
            if (match < next.size()) {
                next[match] = std::move(running);
            } else {
                ending.push_back(std::move(running));
            }
        }
        buses_.clear();
        EndBetweenCycles(ending);
        ending.clear();  // lets go of their ports, which a changed bus may open again
        std::vector<RunningBus*> starting;
        for (std::size_t index = 0; index < next.size(); ++index) {
            if (!next[index]) {
                next[index] = MakeBus(site.buses[index], static_cast<int>(index) + 1);
                starting.push_back(next[index].get());
            }
        }
        Take(std::move(sinks), std::move(next), siteFile);
        for (RunningBus* bus : starting) bus->Start();
        return true;
    }

    void Stop() override {
        for (auto& bus : buses_) bus.reset();  // each ends its runner
        buses_.clear();
        std::unique_lock lock(sinksMutex_);
        sinks_.reset();
    }

    AlarmAcknowledger* Acknowledger() override { return &acknowledger_; }

    // For the acknowledger: the engine of the moment, never one being replaced.
    bool Acknowledge(std::uint64_t id, const std::string& user) {
        std::shared_lock lock(sinksMutex_);
        return sinks_ && sinks_->engine && sinks_->engine->Acknowledge(id, user);
    }
    int AcknowledgeAll(const std::string& user) {
        std::shared_lock lock(sinksMutex_);
        return sinks_ && sinks_->engine ? sinks_->engine->AcknowledgeAll(user) : 0;
    }

    // From a bus's thread: the reading, numbered and named as the site file of the moment says,
    // to the CSVs, the plant and the alarm engine.
    void Deliver(const RunningBus& bus, const SiteReading& reading) {
        std::shared_lock lock(sinksMutex_);
        if (!sinks_) return;
        SiteReading named = reading;
        named.bus = bus.number;
        if (const auto name = sinks_->names.find({named.bus, named.address});
            name != sinks_->names.end()) {
            named.module = name->second;
        }
        sinks_->recorder->OnSiteReading(named);
        readings_->OnSiteReading(named);
        sinks_->engine->OnSiteReading(named);
    }

    // The port number a bus named by its device opens: one per device for the whole run, so
    // that no bus's device is pinned anew under another bus that is reading.
    int DevicePort(const std::string& device) {
        std::lock_guard lock(devicesMutex_);
        const auto [found, fresh] =
            devicePorts_.emplace(device, -1000 - static_cast<int>(devicePorts_.size()));
        if (fresh) PinPortPath(found->second, device);
        return found->second;
    }

private:
    // Reads and opens everything the file asks for, the running site untouched. Null with a
    // Chinese `error`.
    std::unique_ptr<Sinks> Prepare(const std::string& siteFile, Site& site,
                                   std::string& error) const {
        SiteFile file;
        if (!file.Load(siteFile, error)) return nullptr;
        auto sinks = std::make_unique<Sinks>();
        sinks->limits = ReadSiteAlarmConfig(siteFile, error);
        if (!sinks->limits) return nullptr;
        site = file.GetSite();
        sinks->recorder = std::make_unique<SiteCsvRecorder>();
        if (!sinks->recorder->Open(site, csvDir_, RecordFileMode::Append, error)) return nullptr;
        for (std::size_t bus = 0; bus < site.buses.size(); ++bus) {
            for (const SiteModule& module : site.buses[bus].modules) {
                sinks->names[{static_cast<int>(bus) + 1, module.address}] = module.name;
            }
        }
        sinks->alarmSettings = AlarmSettingsText(siteFile);
        return sinks;
    }

    std::unique_ptr<RunningBus> MakeBus(const SiteBus& bus, int number) {
        return std::make_unique<RunningBus>(*this, bus, number);
    }

    // Takes the prepared sinks and the buses as the running site. The alarm engine goes on if
    // its settings did not change; otherwise the old one ends before the new one replays the
    // journal, with no reading or acknowledgement in between, so that no alarm change is missed.
    void Take(std::unique_ptr<Sinks> sinks, std::vector<std::unique_ptr<RunningBus>> buses,
              const std::string& siteFile) {
        std::unique_lock lock(sinksMutex_);
        if (sinks_ && sinks_->engine && sinks_->alarmSettings && sinks->alarmSettings &&
            *sinks_->alarmSettings == *sinks->alarmSettings) {
            sinks->engine = std::move(sinks_->engine);
            sinks->journal = std::move(sinks_->journal);
        }
        sinks_.reset();
        if (!sinks->engine) {
            sinks->journal = std::make_unique<AlarmJournal>(AlarmJournalPathFor(siteFile));
            sinks->engine = std::make_unique<AlarmEngine>(*sinks->limits, sinks->journal.get());
            sinks->engine->AddObserver(alarms_);
        }
        sinks_ = std::move(sinks);
        for (std::size_t index = 0; index < buses.size(); ++index) {
            buses[index]->number = static_cast<int>(index) + 1;
        }
        buses_ = std::move(buses);
    }

    // All at once: each waits for the end of its own cycle.
    static void EndBetweenCycles(const std::vector<std::unique_ptr<RunningBus>>& buses) {
        std::vector<std::thread> enders;
        for (const auto& bus : buses) enders.emplace_back(&RunningBus::EndBetweenCycles, bus.get());
        for (std::thread& ender : enders) ender.join();
    }

    const std::string csvDir_;
    EngineAcknowledger<BusSiteSource> acknowledger_;
    SiteReadingObserver* readings_ = nullptr;
    AlarmObserver* alarms_ = nullptr;
    std::shared_mutex sinksMutex_;  // shared by readings and acknowledgements, whole by a reload
    std::unique_ptr<Sinks> sinks_;
    std::vector<std::unique_ptr<RunningBus>> buses_;  // by number; only the main thread's
    std::mutex devicesMutex_;
    std::map<std::string, int> devicePorts_;
};

RunningBus::RunningBus(BusSiteSource& source, const SiteBus& bus, int number)
    : number(number), source_(source), bus_(bus) {
    Site own;
    own.buses.push_back(bus_);
    if (!bus_.device.empty()) {
        own.buses[0].port = source_.DevicePort(bus_.device);
        own.buses[0].device.clear();
    }
    runner_ = std::make_unique<BusRunner>(std::move(own));
    runner_->AddObserver(this);
    runner_->AddCycleObserver(this);
}

void RunningBus::OnSiteReading(const SiteReading& reading) {
    {
        std::lock_guard lock(mutex_);
        inCycle_ = true;
    }
    source_.Deliver(*this, reading);
}

void RunningBus::OnBusCycle(const BusCycleReport& report) {
    const auto now = Clock::now();
    {
        std::lock_guard lock(mutex_);
        inCycle_ = false;
        ++cyclesEnded_;
        // The runner starts cycles a period apart, start to start.
        nextStart_ = std::max(now, now - report.duration + std::chrono::milliseconds(bus_.periodMs));
    }
    cycleEnded_.notify_all();
}

void RunningBus::EndBetweenCycles() {
    // A reply of a temperature block takes a few hundred bytes at the bus's rate.
    const auto exchange = std::chrono::milliseconds(bus_.timeoutMs + 3000 * 1000 / bus_.baud);
    const auto longest = std::chrono::milliseconds(bus_.periodMs) +
                         exchange * static_cast<int>(bus_.modules.size() + 1) +
                         std::chrono::seconds(1);
    // Close to the next start the cycle may be under way before its first reading arrives.
    constexpr auto kMargin = std::chrono::milliseconds(50);
    std::unique_lock lock(mutex_);
    const bool waiting = !inCycle_ && cyclesEnded_ > 0 && Clock::now() + kMargin < nextStart_;
    if (!waiting) {
        const long long ended = cyclesEnded_;
        cycleEnded_.wait_until(lock, Clock::now() + longest, [&] { return cyclesEnded_ > ended; });
    }
    lock.unlock();
    runner_->Stop();
}

}  // namespace

std::unique_ptr<SiteSource> MakeSiteSource(const std::string& csvDir) {
    return std::make_unique<BusSiteSource>(csvDir);
}
