#pragma once
// The site's buses and alarm engine as `k7r2 serve` runs them: they read and record every
// module, judge the alarms, and report through the observers they are given.
#include <memory>
#include <string>

#include "alarms/alarm_event.h"
#include "bus/site_reading.h"
#include "plant/mqtt_publisher.h"

class SiteSource {
public:
    virtual ~SiteSource() = default;
    // Starts every bus of the site file; false with a Chinese `error`.
    virtual bool Start(const std::string& siteFile, SiteReadingObserver& readings,
                       AlarmObserver& alarms, std::string& error) = 0;
    // Takes the changed site file between two cycles, so that no cycle is lost.
    virtual bool Reload(const std::string& siteFile, std::string& error) = 0;
    virtual void Stop() = 0;
    // The alarm engine, for acknowledgements from the plant; null without one.
    virtual AlarmAcknowledger* Acknowledger() = 0;
};

// The buses and alarms of this build (cli/serve_site_source.cpp), recording a readings CSV per
// module in `csvDir`.
std::unique_ptr<SiteSource> MakeSiteSource(const std::string& csvDir);
