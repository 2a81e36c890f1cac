#pragma once
// Runs every bus of a site: one thread per bus holds the bus's port and, each cycle, reads every
// module's temperature block in ascending address order. Cycles start every period, start to
// start; one that overruns starts the next at once. An adapter that goes away is let go of and
// opened again, through its port number or device, at the start of each cycle; while it is away
// each module gets one failed reading per cycle. No GUI toolkit.
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "bus/bus_cycle.h"
#include "bus/site_reading.h"
#include "link/poll_settings.h"
#include "site/site.h"

class BusRunner {
public:
    explicit BusRunner(Site site);
    BusRunner(const BusRunner&) = delete;
    BusRunner& operator=(const BusRunner&) = delete;
    ~BusRunner();

    // Observers are added before Start and called on the buses' threads, possibly at once from
    // several buses.
    void AddObserver(SiteReadingObserver* observer);
    void AddCycleObserver(BusCycleObserver* observer);

    // Starts a thread per bus. `cycles` > 0 ends each bus after that many cycles.
    void Start(long long cycles = 0);
    // Asks every bus to end and joins the threads: at most one module's exchange later.
    void Stop();
    // Waits until every bus has ended by itself (after `cycles`) or Stop was called.
    void Wait();
    bool Running() const;

    const Site& GetSite() const { return site_; }
    // The settings bus `index` (0-based) opens its port with.
    PollSettings PortSettings(int index) const;

private:
    void RunBus(int index, long long cycles);
    // Sleeps until `when` or Stop; true when stopped.
    bool WaitUntil(std::chrono::steady_clock::time_point when);
    bool Stopping() const;

    const Site site_;
    std::vector<SiteReadingObserver*> observers_;
    std::vector<BusCycleObserver*> cycleObservers_;
    std::vector<std::thread> threads_;
    std::atomic<int> running_{0};
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
};
