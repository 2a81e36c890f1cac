// Alarm evaluation for a whole site: 32 modules x 68 channels, every channel with a high and a
// low limit, a deadband, a delay and a rise over 24 hours. One cycle is the 32 readings of a
// bus cycle handed to the engine one after the other, as the bus runner does.
//
//   bench_alarms [--cycles N]     (default 20000 cycles, 5 s apart in reading time: 28 hours)
//
// Phase 1, steady: every value wanders within its limits (noise of a tenth and a slow wave),
// no alarm changes. Phase 2, busy: on every cycle one channel of every module crosses its high
// limit and its rise limit or comes back, so that every cycle raises, clears or acknowledges
// alarms (journal off: the journal's write() is the disk's figure, not the engine's).
// Per cycle: the thread's CPU time (what the evaluation costs) and the wall time (which on a
// shared machine includes being preempted).
#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "alarms/alarm_engine.h"

namespace {

constexpr int kModules = 32;

std::uint16_t Word(int tenths) {
    return tenths < 0 ? static_cast<std::uint16_t>(0x8000 | -tenths) : static_cast<std::uint16_t>(tenths);
}

struct Figures {
    double median;
    double p99;
    double max;
};

Figures Summarise(std::vector<double> micros) {
    std::sort(micros.begin(), micros.end());
    return {micros[micros.size() / 2], micros[micros.size() * 99 / 100], micros.back()};
}

class Counter : public AlarmObserver {
public:
    void OnAlarmChange(const AlarmEvent&) override { ++changes; }
    long changes = 0;
};

double ThreadCpuMicros() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e6 + static_cast<double>(now.tv_nsec) / 1e3;
}

struct Result {
    Figures wall;
    Figures cpu;
};

Result Run(int cycles, bool busy, long& changes) {
    AlarmLimits limits;
    limits.high = 40;
    limits.low = -30;
    limits.deadband = 0.5;
    limits.delay = 2;
    limits.rise = 8;
    limits.riseWindowHours = 24;
    SiteAlarmConfig config;
    for (int m = 0; m < kModules; ++m) {
        config.modules.push_back(UniformModule(1, m + 1, "仓" + std::to_string(m + 1), limits));
    }
    AlarmEngine engine(config, nullptr);
    Counter counter;
    engine.AddObserver(&counter);

    std::vector<SiteReading> readings(kModules);
    for (int m = 0; m < kModules; ++m) {
        readings[static_cast<std::size_t>(m)].address = m + 1;
        readings[static_cast<std::size_t>(m)].module = "仓" + std::to_string(m + 1);
        readings[static_cast<std::size_t>(m)].reading.words.assign(kReadingChannels, Word(200));
    }
    std::vector<double> micros, cpu;
    micros.reserve(static_cast<std::size_t>(cycles));
    cpu.reserve(static_cast<std::size_t>(cycles));
    auto time = std::chrono::system_clock::now();
    unsigned noise = 1;
    for (int cycle = 0; cycle < cycles; ++cycle) {
        time += std::chrono::seconds(5);
        // A slow wave of +-2 degrees over 6 hours, and a tenth of noise either way.
        const int wave = static_cast<int>(std::lround(20 * std::sin(cycle * 2 * M_PI / 4320)));
        for (SiteReading& site : readings) {
            site.reading.time = time;
            for (int c = 0; c < kReadingChannels; ++c) {
                noise = noise * 1103515245u + 12345u;
                const int tenths = 200 + wave + static_cast<int>((noise >> 16) % 3) - 1;
                site.reading.words[static_cast<std::size_t>(c)] = Word(tenths);
            }
            if (busy) {
                // Two cycles beyond (the delay), two back below the deadband, on a moving channel.
                const int channel = (cycle / 4) % kReadingChannels;
                if (cycle % 4 < 2) site.reading.words[static_cast<std::size_t>(channel)] = Word(450);
            }
        }
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = ThreadCpuMicros();
        for (const SiteReading& site : readings) engine.OnSiteReading(site);
        cpu.push_back(ThreadCpuMicros() - cpuStart);
        const auto end = std::chrono::steady_clock::now();
        micros.push_back(std::chrono::duration<double, std::micro>(end - start).count());
        if (busy && cycle % 4 == 3) engine.AcknowledgeAll("bench");
    }
    changes = counter.changes;
    return {Summarise(std::move(micros)), Summarise(std::move(cpu))};
}

}  // namespace

int main(int argc, char** argv) {
    int cycles = 20000;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--cycles") == 0) cycles = std::max(100, std::atoi(argv[i + 1]));
    }
    std::printf("%d modules x %d channels, limits on all, %d cycles\n", kModules, kReadingChannels,
                cycles);
    for (const bool busy : {false, true}) {
        long changes = 0;
        const Result r = Run(cycles, busy, changes);
        std::printf("%-6s per cycle, thread CPU: median %.1f us, p99 %.1f us, max %.1f us; "
                    "wall: median %.1f us, p99 %.1f us (%ld alarm changes)\n",
                    busy ? "busy" : "steady", r.cpu.median, r.cpu.p99, r.cpu.max, r.wall.median,
                    r.wall.p99, changes);
    }
    return 0;
}
