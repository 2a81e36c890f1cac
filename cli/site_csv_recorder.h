#pragma once
// One readings CSV per module of a site (`<address>-<module name>.csv` in a folder), each
// reading appended as the buses report it. Shared by `k7r2 site watch` and `k7r2 serve`.
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>

#include "bus/site_reading.h"
#include "record/readings_csv_file.h"
#include "record/record_file.h"
#include "site/site.h"

class SiteCsvRecorder : public SiteReadingObserver {
public:
    // Creates the folder and a file per module, an existing one treated as `mode` says. False
    // with a Chinese `error` naming the file that could not be opened.
    bool Open(const Site& site, const std::string& directory, RecordFileMode mode,
              std::string& error);
    // Safe from several buses at once. A file that fails a write is closed and counted.
    void OnSiteReading(const SiteReading& reading) override;
    void Close();
    bool WriteFailed() const;

private:
    mutable std::mutex mutex_;
    std::map<std::pair<int, int>, std::unique_ptr<ReadingsCsvFile>> files_;
    bool writeFailed_ = false;
};
