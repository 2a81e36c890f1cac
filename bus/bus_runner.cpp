#include "bus/bus_runner.h"

#include <algorithm>

#include "bus/bus_exchange.h"
#include "link/port_directory.h"
#include "link/serial_port.h"

namespace {

using Clock = std::chrono::steady_clock;

// Buses named by a device path open it through a port number of their own, below every COMn.
int DevicePortNumber(int index) {
    return -1 - index;
}

}  // namespace

BusRunner::BusRunner(Site site) : site_(std::move(site)) {
    // Pinned once, before any thread opens a port.
    for (std::size_t index = 0; index < site_.buses.size(); ++index) {
        const SiteBus& bus = site_.buses[index];
        if (!bus.device.empty()) PinPortPath(DevicePortNumber(static_cast<int>(index)), bus.device);
    }
}

BusRunner::~BusRunner() {
    Stop();
}

void BusRunner::AddObserver(SiteReadingObserver* observer) {
    observers_.push_back(observer);
}

void BusRunner::AddCycleObserver(BusCycleObserver* observer) {
    cycleObservers_.push_back(observer);
}

PollSettings BusRunner::PortSettings(int index) const {
    const SiteBus& bus = site_.buses[static_cast<std::size_t>(index)];
    PollSettings settings;
    settings.port = bus.device.empty() ? bus.port : DevicePortNumber(index);
    settings.baud = bus.baud;
    settings.period = bus.periodMs;
    return settings;
}

void BusRunner::Start(long long cycles) {
    Stop();
    {
        std::lock_guard lock(mutex_);
        stopping_ = false;
    }
    running_ = static_cast<int>(site_.buses.size());
    for (std::size_t index = 0; index < site_.buses.size(); ++index) {
        threads_.emplace_back(&BusRunner::RunBus, this, static_cast<int>(index), cycles);
    }
}

void BusRunner::Stop() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    Wait();
}

void BusRunner::Wait() {
    for (std::thread& thread : threads_) {
        if (thread.joinable()) thread.join();
    }
    threads_.clear();
}

bool BusRunner::Running() const {
    return running_ > 0;
}

bool BusRunner::WaitUntil(Clock::time_point when) {
    std::unique_lock lock(mutex_);
    return wake_.wait_until(lock, when, [this] { return stopping_; });
}

bool BusRunner::Stopping() const {
    std::lock_guard lock(mutex_);
    return stopping_;
}

void BusRunner::RunBus(int index, long long cycles) {
    struct Ended {
        std::atomic<int>& running;
        ~Ended() { --running; }
    } ended{running_};
    const SiteBus& bus = site_.buses[static_cast<std::size_t>(index)];
    const PollSettings settings = PortSettings(index);
    BusExchangeTiming timing{std::chrono::milliseconds(bus.timeoutMs), bus.baud};
    // Each module's last good reply length, by its place on the bus; 0 where none is known.
    std::vector<int> replyBytes(bus.modules.size(), 0);
    const auto period = std::chrono::milliseconds(bus.periodMs);
    CommPort port;
    ReplyBlock block{};
    auto cycleStart = Clock::now();
    for (long long cycle = 1; cycles <= 0 || cycle <= cycles; ++cycle) {
        if (WaitUntil(cycleStart)) return;
        const auto begun = Clock::now();
        BusCycleReport report;
        report.bus = index + 1;
        report.cycle = cycle;
        report.modules = static_cast<int>(bus.modules.size());
        // Opened once and held; after a loss, looked for again once a cycle.
        if (!port) port = OpenCommPort(settings, TimeoutProfile::Polling);
        report.portOpen = static_cast<bool>(port);
        for (std::size_t place = 0; place < bus.modules.size(); ++place) {
            const SiteModule& module = bus.modules[place];
            if (Stopping()) return;
            SiteReading reading;
            reading.bus = index + 1;
            reading.address = module.address;
            reading.module = module.name;
            if (port) {
                timing.expectedReplyBytes = replyBytes[place];
                const BusExchangeResult result = ExchangeBusBlock(port, module.address, timing, block);
                if (result.fault == BlockFault::None) {
                    // Only a line that delivers at its rate is worth the sleep: a reply that was
                    // there whole at the first look, unasked for a sleep, came faster than its
                    // wire time, and the next one is looked for at once again.
                    const bool paced = timing.expectedReplyBytes > 0 || !result.arrivedAtOnce;
                    replyBytes[place] = paced ? result.replyBytes : 0;
                }
                const auto end = std::chrono::system_clock::now();
                reading.reading = result.fault == BlockFault::None
                                      ? ReadingFromBlock(block, end)
                                      : FailedReading(result.fault, end);
                if (port.Lost()) {
                    port.Close();
                    std::fill(replyBytes.begin(), replyBytes.end(), 0);  // perhaps another line
                }
            } else {
                reading.reading =
                    FailedReading(BlockFault::PortNotOpen, std::chrono::system_clock::now());
            }
            if (!reading.reading.Ok()) report.failed.push_back(module.address);
            for (SiteReadingObserver* observer : observers_) observer->OnSiteReading(reading);
        }
        report.duration = Clock::now() - begun;
        for (BusCycleObserver* observer : cycleObservers_) observer->OnBusCycle(report);
        // Start to start; a cycle that overran starts the next at once.
        cycleStart += period;
        if (cycleStart < Clock::now()) cycleStart = Clock::now();
    }
}
