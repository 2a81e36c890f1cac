#pragma once
// Re-reads a control file into a ValueControl whenever the file changes (its modification
// time or size), looking every 50 ms on a thread of its own. Write the file whole and rename
// it into place, so that a half-written file is never read.
#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "sim/value_control.h"

class ControlFileWatcher {
public:
    // `extra` lines (from the command line) come before the file's; `report` gets a line for
    // every load after the first, and for
    // every error (then with `failed`: the directives in force stay).
    ControlFileWatcher(std::string path, std::string extra, std::shared_ptr<ValueControl> control,
                       std::function<void(const std::string&, bool failed)> report);
    ~ControlFileWatcher();
    ControlFileWatcher(const ControlFileWatcher&) = delete;
    ControlFileWatcher& operator=(const ControlFileWatcher&) = delete;

    // Reads the file once now; false with `error` when it cannot be read or does not parse.
    bool LoadNow(std::string& error);
    void Start();
    void Stop();

private:
    void Run();

    const std::string path_;
    const std::string extra_;
    const std::shared_ptr<ValueControl> control_;
    const std::function<void(const std::string&, bool failed)> report_;
    std::string seen_;  // modification time and size of the text last read
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    std::thread thread_;
};
