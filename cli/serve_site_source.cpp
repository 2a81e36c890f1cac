// The buses and alarm engine `k7r2 serve` runs. This build has neither the bus runner nor the
// alarm engine: the service serves the site's declared modules with no readings yet.
//
// With them, Start() loads the site file, makes the alarm engine (its journal beside the
// readings CSVs, as `k7r2 site watch` keeps them) with `alarms` among its observers, and starts
// the bus runner with its readings going to the engine and to `readings`; Reload() hands the
// runner and the engine the new file between two cycles; Acknowledger() returns an
// EngineAcknowledger (plant/engine_acknowledger.h) over the engine.
#include <cstdio>

#include "plant/site_source.h"

namespace {

class NoBusesYet : public SiteSource {
public:
    bool Start(const std::string&, SiteReadingObserver&, AlarmObserver&, std::string&) override {
        std::fprintf(stderr, "k7r2 serve: 此版本未包含总线运行器, 不采集\n");
        return true;
    }
    bool Reload(const std::string&, std::string&) override { return true; }
    void Stop() override {}
    AlarmAcknowledger* Acknowledger() override { return nullptr; }
};

}  // namespace

std::unique_ptr<SiteSource> MakeSiteSource() { return std::make_unique<NoBusesYet>(); }
