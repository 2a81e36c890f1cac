#pragma once
#include <string>
#include "record/reading.h"
struct SiteReading {
    int bus = 1;            // 1-based, file order
    int address = 0;        // module address
    std::string module;     // module name from the site file
    Reading reading;        // the existing Reading (time, fault, words)
};
class SiteReadingObserver {
public:
    virtual ~SiteReadingObserver() = default;
    // Called on the bus's thread, once per module per cycle, in ascending address order.
    virtual void OnSiteReading(const SiteReading& reading) = 0;
};
