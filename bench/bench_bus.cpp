// The bus runner against a simulated bus of 32 modules with 64 probes each, replies paced at the
// line rate:
//
// 1. A cycle at 9600 and at 38400 Bd against its floor. The pseudo-terminal carries requests
//    at once and only the replies are paced, so the floor is what the simulated line imposes:
//    every reply's wire time plus the simulator's answer latency (request received to reply
//    begun, from its trace). The floor of a real line, which adds every request's wire time, is
//    printed beside it.
// 2. What one silent module adds to the cycle, against a cycle without that module.
// 3. The runner's CPU at a 5 s period (the simulator in a process of its own).
//
// Usage: bench_bus [--cycles N] [--cpu-seconds S] [--baud B]
//   (defaults: 5 cycles, 60 s, both rates; --cpu-seconds 0 leaves the CPU run out)
#include <sys/resource.h>
#include <sys/wait.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "bus/bus_exchange.h"
#include "bus/bus_runner.h"
#include "sim/simulated_bus.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kModules = 32;
constexpr int kProbes = 64;
constexpr int kPort = 41;
constexpr int kTimeoutMs = 300;
constexpr int kSilentAddress = 16;

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

class Cycles : public BusCycleObserver {
public:
    void OnBusCycle(const BusCycleReport& report) override {
        std::lock_guard lock(mutex_);
        durations_.push_back(report.duration);
        failed_ += static_cast<int>(report.failed.size());
    }
    double MedianMs() {
        std::lock_guard lock(mutex_);
        std::vector<Clock::duration> sorted = durations_;
        std::sort(sorted.begin(), sorted.end());
        return sorted.empty() ? 0 : Ms(sorted[sorted.size() / 2]);
    }
    int Failed() {
        std::lock_guard lock(mutex_);
        return failed_;
    }

private:
    std::mutex mutex_;
    std::vector<Clock::duration> durations_;
    int failed_ = 0;
};

Site SiteOf(const std::vector<int>& addresses, int baud, int periodMs) {
    Site site;
    site.name = "bench";
    SiteBus bus;
    bus.port = kPort;
    bus.baud = baud;
    bus.periodMs = periodMs;
    bus.timeoutMs = kTimeoutMs;
    for (const int address : addresses) bus.modules.push_back({address, "m", {}});
    site.buses.push_back(bus);
    return site;
}

// Runs `cycles` back-to-back cycles; the median cycle in ms.
double RunCycles(const Site& site, int cycles, int& failed) {
    Cycles observer;
    BusRunner runner(site);
    runner.AddCycleObserver(&observer);
    runner.Start(cycles);
    runner.Wait();
    failed = observer.Failed();
    return observer.MedianMs();
}

std::vector<int> Addresses(int skip = -1) {
    std::vector<int> addresses;
    for (int address = 1; address <= kModules; ++address) {
        if (address != skip) addresses.push_back(address);
    }
    return addresses;
}

void CycleAgainstFloor(int baud, int cycles) {
    // The simulator's latency per request: from the request parsed to the reply about to go.
    std::mutex mutex;
    Clock::time_point received;
    std::vector<double> latencies;
    // Where the rest goes: the reply's last byte against its wire time (the simulator's pacing),
    // and the last byte to the next request (the runner noticing it and asking the next).
    Clock::time_point sentFrom, lastSent;
    std::vector<double> pacing, turnaround;
    SimBusOptions options;
    options.port = kPort;
    options.addresses = Addresses();
    options.probeCount = kProbes;
    options.baud = baud;
    options.trace = [&](const std::string& line) {
        std::lock_guard lock(mutex);
        const auto now = Clock::now();
        if (line.rfind("rx", 0) == 0) {
            received = now;
            if (lastSent != Clock::time_point{}) turnaround.push_back(Ms(now - lastSent));
            lastSent = {};
        }
        if (line.rfind("tx", 0) == 0) {
            latencies.push_back(Ms(now - received));
            sentFrom = now;
        }
        if (line.rfind("sent", 0) == 0) {
            lastSent = now;
            pacing.push_back(Ms(now - sentFrom));
        }
    };
    SimulatedBus bus(options);
    if (!bus.Start()) {
        std::fprintf(stderr, "simulator: %s\n", bus.LastError().c_str());
        std::exit(1);
    }
    int failed = 0;
    const double median = RunCycles(SiteOf(Addresses(), baud, 1), cycles, failed);
    const int replyBytes = 2 * (4 + kProbes) + 9;
    double latency = 0;
    {
        std::lock_guard lock(mutex);
        for (const double l : latencies) latency += l;
        latency /= std::max<std::size_t>(1, latencies.size());
    }
    const double replyWire = Ms(WireTime(replyBytes, baud));
    const double requestWire = Ms(WireTime(9, baud));
    const double floor = kModules * (replyWire + latency);
    std::printf("%5d Bd: cycle %.1f ms (median of %d, %d failures); floor %.1f ms "
                "(32 x (reply %.2f + simulator %.3f)); ratio %.4f; a real line's floor adds "
                "the requests: %.1f ms\n",
                baud, median, cycles, failed, floor, replyWire, latency, median / floor,
                floor + kModules * requestWire);

    {
        std::lock_guard lock(mutex);
        const auto median = [](std::vector<double> values) {
            std::sort(values.begin(), values.end());
            return values.empty() ? 0.0 : values[values.size() / 2];
        };
        const auto mean = [](const std::vector<double>& values) {
            double sum = 0;
            for (const double value : values) sum += value;
            return values.empty() ? 0.0 : sum / static_cast<double>(values.size());
        };
        std::printf("%5d Bd: per module, the reply's last byte %.3f ms (mean %.3f) after its "
                    "first was due (wire %.3f); the next request %.3f ms (mean %.3f) after it\n",
                    baud, median(pacing), mean(pacing), replyWire, median(turnaround),
                    mean(turnaround));
        pacing.clear();
        turnaround.clear();
    }
    // The same 32 blocks read with the link's one-module exchange, which takes the first reply
    // it gets: what the pseudo-terminal and the machine add to any reader.
    {
        PollSettings settings;
        settings.port = kPort;
        settings.baud = baud;
        CommPort port = OpenCommPort(settings, TimeoutProfile::Polling);
        ReplyBlock block{};
        std::vector<double> loops;
        for (int cycle = 0; cycle < cycles; ++cycle) {
            const auto begun = Clock::now();
            for (int address = 1; address <= kModules; ++address) {
                ExchangeTemperatureBlock(port, address, false, block);
            }
            loops.push_back(Ms(Clock::now() - begun));
        }
        std::sort(loops.begin(), loops.end());
        std::printf("%5d Bd: the same 32 blocks with the one-module exchange: %.1f ms, "
                    "ratio %.4f\n",
                    baud, loops[loops.size() / 2], loops[loops.size() / 2] / floor);
    }

    // One module silent, against the cycle without it at all.
    bus.InjectFault(kSilentAddress, SilentFaults()[0]);
    int silentFailed = 0;
    const double withSilent = RunCycles(SiteOf(Addresses(), baud, 1), cycles, silentFailed);
    // The silent module's own exchange, timed alone: what it adds without the cycles' noise.
    {
        PollSettings settings;
        settings.port = kPort;
        settings.baud = baud;
        CommPort port = OpenCommPort(settings, TimeoutProfile::Polling);
        ReplyBlock block{};
        std::vector<double> exchanges;
        for (int i = 0; i < 3 * cycles; ++i) {
            const auto begun = Clock::now();
            ExchangeBusBlock(port, kSilentAddress, {std::chrono::milliseconds(kTimeoutMs), baud}, block);
            exchanges.push_back(Ms(Clock::now() - begun));
        }
        std::sort(exchanges.begin(), exchanges.end());
        std::printf("%5d Bd: the silent module's exchange alone: median %.2f ms, max %.2f ms\n", baud,
                    exchanges[exchanges.size() / 2], exchanges.back());
    }
    bus.ClearFaults(kSilentAddress);
    int withoutFailed = 0;
    const double without = RunCycles(SiteOf(Addresses(kSilentAddress), baud, 1), cycles,
                                     withoutFailed);
    std::printf("%5d Bd: a silent module adds %.1f ms (timeout %d ms; its request's wire time "
                "%.1f ms, from whose end the timeout runs); failures %d and %d\n",
                baud, withSilent - without, kTimeoutMs, requestWire, silentFailed, withoutFailed);
}

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void RunnerCpu(int seconds) {
    std::fflush(stdout);
    const pid_t child = fork();
    if (child == 0) {
        execl(K7R2_SIM_PROGRAM, "k7r2-sim", "--port", std::to_string(kPort).c_str(),
              "--addresses", "1-32", "--probes", "64", "--baud", "38400", "--quiet",
              static_cast<char*>(nullptr));
        _exit(127);
    }
    const auto link = std::filesystem::path(std::getenv("K7R2_PORT_DIR")) /
                      ("COM" + std::to_string(kPort));
    for (int i = 0; i < 500 && !std::filesystem::exists(link); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    Cycles observer;
    BusRunner runner(SiteOf(Addresses(), 38400, 5000));
    runner.AddCycleObserver(&observer);
    const double before = CpuSeconds();
    const auto start = Clock::now();
    runner.Start();
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    runner.Stop();
    const double used = CpuSeconds() - before;
    const double wall = std::chrono::duration<double>(Clock::now() - start).count();
    kill(child, SIGTERM);
    waitpid(child, nullptr, 0);
    std::printf("38400 Bd, 5 s period, %.0f s: runner CPU %.3f s = %.4f %% of a core "
                "(%d failures)\n",
                wall, used, 100.0 * used / wall, observer.Failed());
}

}  // namespace

int main(int argc, char** argv) {
    int cycles = 5;
    int cpuSeconds = 60;
    int onlyBaud = 0;  // both
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--cycles") cycles = std::atoi(argv[i + 1]);
        if (option == "--cpu-seconds") cpuSeconds = std::atoi(argv[i + 1]);
        if (option == "--baud") onlyBaud = std::atoi(argv[i + 1]);
    }
    setvbuf(stdout, nullptr, _IOLBF, 0);
    char pattern[] = "/tmp/bench-bus-XXXXXX";
    if (mkdtemp(pattern) == nullptr) return 1;
    setenv("K7R2_PORT_DIR", pattern, 1);
    for (const int baud : {9600, 38400}) {
        if (onlyBaud == 0 || onlyBaud == baud) CycleAgainstFloor(baud, cycles);
    }
    if (cpuSeconds > 0) RunnerCpu(cpuSeconds);
    std::filesystem::remove_all(pattern);
    return 0;
}
