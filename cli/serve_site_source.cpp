// The buses and alarm engine `k7r2 serve` runs. Start() loads the site file, makes the alarm
// engine (its journal beside the site file, as `k7r2 alarms` reads it) with `alarms` among its
// observers, and starts the bus runner with its readings going to the readings CSVs, to
// `readings` and to the engine. Reload() builds all of that from the changed file first, so a
// bad file changes nothing, then ends the old buses and starts the new ones.
#include <cstdio>
#include <mutex>

#include "alarms/alarm_engine.h"
#include "alarms/alarm_journal.h"
#include "bus/bus_runner.h"
#include "cli/site_csv_recorder.h"
#include "plant/engine_acknowledger.h"
#include "plant/site_source.h"
#include "site/site_file.h"

namespace {

// Everything one reading of the site file runs.
struct Running {
    std::unique_ptr<AlarmJournal> journal;
    std::unique_ptr<AlarmEngine> engine;
    std::unique_ptr<SiteCsvRecorder> recorder;
    std::unique_ptr<BusRunner> runner;
};

class BusSiteSource : public SiteSource {
public:
    explicit BusSiteSource(std::string csvDir) : csvDir_(std::move(csvDir)), acknowledger_(*this) {}
    ~BusSiteSource() override { Stop(); }

    bool Start(const std::string& siteFile, SiteReadingObserver& readings, AlarmObserver& alarms,
               std::string& error) override {
        readings_ = &readings;
        alarms_ = &alarms;
        Running next;
        if (!Build(siteFile, next, error)) return false;
        Swap(next);
        return true;
    }

    bool Reload(const std::string& siteFile, std::string& error) override {
        Running next;
        if (!Build(siteFile, next, error)) return false;
        Stop();
        Swap(next);
        return true;
    }

    void Stop() override {
        if (current_.runner) current_.runner->Stop();
        if (current_.recorder) current_.recorder->Close();
    }

    AlarmAcknowledger* Acknowledger() override { return &acknowledger_; }

    // For the acknowledger: the engine of the moment, never one being replaced.
    bool Acknowledge(std::uint64_t id, const std::string& user) {
        std::lock_guard lock(engineMutex_);
        return current_.engine && current_.engine->Acknowledge(id, user);
    }
    int AcknowledgeAll(const std::string& user) {
        std::lock_guard lock(engineMutex_);
        return current_.engine ? current_.engine->AcknowledgeAll(user) : 0;
    }

private:
    bool Build(const std::string& siteFile, Running& next, std::string& error) const {
        SiteFile file;
        if (!file.Load(siteFile, error)) return false;
        const std::optional<SiteAlarmConfig> limits = ReadSiteAlarmConfig(siteFile, error);
        if (!limits) return false;
        next.recorder = std::make_unique<SiteCsvRecorder>();
        if (!next.recorder->Open(file.GetSite(), csvDir_, RecordFileMode::Append, error)) {
            return false;
        }
        next.journal = std::make_unique<AlarmJournal>(AlarmJournalPathFor(siteFile));
        next.engine = std::make_unique<AlarmEngine>(*limits, next.journal.get());
        next.engine->AddObserver(alarms_);
        next.runner = std::make_unique<BusRunner>(file.GetSite());
        next.runner->AddObserver(next.recorder.get());
        next.runner->AddObserver(readings_);
        next.runner->AddObserver(next.engine.get());
        return true;
    }

    // Takes `next` as the running site and starts its buses; the old one ends with `next`.
    void Swap(Running& next) {
        {
            std::lock_guard lock(engineMutex_);
            std::swap(current_, next);
        }
        current_.runner->Start();
    }

    const std::string csvDir_;
    EngineAcknowledger<BusSiteSource> acknowledger_;
    SiteReadingObserver* readings_ = nullptr;
    AlarmObserver* alarms_ = nullptr;
    std::mutex engineMutex_;
    Running current_;
};

}  // namespace

std::unique_ptr<SiteSource> MakeSiteSource(const std::string& csvDir) {
    return std::make_unique<BusSiteSource>(csvDir);
}
