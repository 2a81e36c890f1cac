// k7r2 as scripts use it: the wall time of "k7r2 read" from process start to exit against the
// simulated module at 9600 Bd, and a scan of 256 addresses at one baud.
//
// The simulated module paces its reply at the line rate but takes the request at once, so
// against it the reply's wire time is all the line costs; the floor quoted is the real line's
// (request and reply), and the figure that matters is the excess over the reply's wire time.
#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "sim/simulated_module.h"

extern char** environ;

namespace {

constexpr int kPort = 6;
constexpr int kBaud = 9600;
constexpr int kBitsPerByte = 10;
constexpr int kProbes = 20;

double NowMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

double WireMs(int bytes) {
    return bytes * kBitsPerByte * 1000.0 / kBaud;
}

// Runs k7r2 with its output thrown away; returns the wall time in ms, negative on failure.
double TimedRun(const std::string& program, std::vector<std::string> args) {
    args.insert(args.begin(), program);
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const double start = NowMs();
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    const double elapsed = NowMs() - start;
    posix_spawn_file_actions_destroy(&actions);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? elapsed : -1;
}

}  // namespace

int main(int argc, char** argv) {
    int rounds = 30;
    int scanTimeout = 300;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--rounds") == 0) rounds = std::atoi(argv[i + 1]);
        if (std::strcmp(argv[i], "--scan-timeout") == 0) scanTimeout = std::atoi(argv[i + 1]);
    }
    char dir[] = "/tmp/k7r2-bench-cli-XXXXXX";
    if (mkdtemp(dir) == nullptr) return 1;
    setenv("K7R2_PORT_DIR", dir, 1);
    SimOptions options;
    options.port = kPort;
    options.address = 200;
    options.probeCount = kProbes;
    options.baud = kBaud;
    SimulatedModule sim(options);
    if (!sim.Start()) {
        std::fprintf(stderr, "simulator: %s\n", sim.LastError().c_str());
        return 1;
    }
    const std::string program = K7R2_PROGRAM;
    const std::vector<std::string> read = {"--port", std::to_string(kPort), "--address", "200", "read"};

    std::vector<double> times;
    for (int i = 0; i < rounds + 3; ++i) {
        const double ms = TimedRun(program, read);
        if (ms < 0) {
            std::fprintf(stderr, "k7r2 read failed\n");
            return 1;
        }
        if (i >= 3) times.push_back(ms);  // warm-up: page cache, first exec
    }
    std::sort(times.begin(), times.end());
    const int replyBytes = 2 * (4 + kProbes) + 9;
    const double floor = WireMs(9 + replyBytes);
    const double replyOnly = WireMs(replyBytes);
    std::printf("k7r2 read at %d Bd, %d probes, %d rounds\n", kBaud, kProbes, rounds);
    std::printf("  floor (request %d + reply %d bytes on the wire): %.2f ms; reply alone %.2f ms\n",
                9, replyBytes, floor, replyOnly);
    std::printf("  wall time: min %.2f  median %.2f  max %.2f ms\n", times.front(),
                times[times.size() / 2], times.back());
    std::printf("  median - floor: %+.2f ms (target <= +10); median - reply alone: %+.2f ms\n",
                times[times.size() / 2] - floor, times[times.size() / 2] - replyOnly);

    const double scan = TimedRun(program, {"--port", std::to_string(kPort), "scan", "--addresses", "0-255",
                                           "--bauds", "9600", "--timeout", std::to_string(scanTimeout)});
    const double budget = 256 * (scanTimeout + WireMs(9)) + 1000;
    std::printf("scan of 256 addresses at %d Bd, --timeout %d: %.0f ms (target <= %.0f ms)\n", kBaud,
                scanTimeout, scan, budget);
    sim.Stop();
    std::filesystem::remove_all(dir);
    return scan < 0 ? 1 : 0;
}
