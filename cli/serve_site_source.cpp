// The buses and alarm engine `k7r2 serve` runs. This build has neither the bus runner nor the
// alarm engine: the service serves the site's declared modules with no readings yet.
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
