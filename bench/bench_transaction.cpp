// Transaction latency of ExchangeCommandFrame against a pseudo-terminal peer that paces its
// reply at the line rate, and the CPU cost of waiting on a silent line.
//
// The peer turns a request around in 50 ms of line time: the reply's last byte lands exactly at
// the floor (50 ms pause + wire time of request and reply), so whatever the exchange takes
// beyond the floor is the delay in noticing and reading the reply.
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "link/commands.h"
#include "link/transaction.h"

namespace {

constexpr int kPort = 5;
constexpr int kRounds = 40;
constexpr int kWarmUp = 3;
constexpr int kReplyBytes = 17;
constexpr int kBitsPerByte = 10;

long long NowNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000000000LL + now.tv_nsec;
}

void SleepUntilNs(long long due) {
    const timespec at{static_cast<time_t>(due / 1000000000LL),
                      static_cast<long>(due % 1000000000LL)};
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr) == EINTR) {
    }
}

struct Pty {
    int master = -1;
    std::string dir;

    bool Create() {
        master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) return false;
        char slave[128];
        if (ptsname_r(master, slave, sizeof slave) != 0) return false;
        std::string pattern =
            (std::filesystem::temp_directory_path() / "k7r2-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) return false;
        dir = pattern;
        std::filesystem::create_symlink(slave, dir + "/COM" + std::to_string(kPort));
        setenv("K7R2_PORT_DIR", dir.c_str(), 1);
        return true;
    }
    ~Pty() {
        if (master >= 0) close(master);
        std::error_code ignored;
        if (!dir.empty()) std::filesystem::remove_all(dir, ignored);
    }
};

// Plays the module: for each request, answers with a paced 17-byte reply.
class PacedModule {
public:
    PacedModule(int master, int baud)
        : master_(master), byteNs_(1000000000LL * kBitsPerByte / baud) {
        thread_ = std::thread([this] { Run(); });
    }
    ~PacedModule() {
        stop_ = true;
        thread_.join();
    }
    long long lastByteNs() const { return lastByteNs_.load(); }

private:
    void Run() {
        prctl(PR_SET_TIMERSLACK, 1UL);  // pace to the microsecond, not to the default 50 us
        std::vector<std::uint8_t> reply = {0x14, 0x3F, 0x00, 0x01, CMD_READ_SN, 0x00, 0x08, 0x28, 1,
                                           2,    3,    4,    5,    6,           7,    0,    0};
        while (!stop_) {
            pollfd entry{master_, POLLIN, 0};
            if (poll(&entry, 1, 100) <= 0 || (entry.revents & POLLIN) == 0) continue;
            const long long firstSeen = NowNs();
            std::uint8_t request[64];
            int got = 0;
            while (got < 10) {  // the benchmark's request is 10 bytes
                const ssize_t n = read(master_, request + got, sizeof request - got);
                if (n > 0) got += static_cast<int>(n);
                if (n <= 0 && poll(&entry, 1, 100) <= 0) break;
            }
            const long long replyStart = firstSeen + 50000000LL + 10 * byteNs_;
            for (int i = 0; i < kReplyBytes; ++i) {
                SleepUntilNs(replyStart + (i + 1) * byteNs_);
                if (write(master_, &reply[i], 1) != 1) break;
            }
            lastByteNs_ = NowNs();
        }
    }

    int master_;
    long long byteNs_;
    std::atomic<bool> stop_{false};
    std::atomic<long long> lastByteNs_{0};
    std::thread thread_;
};

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double Percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    return values[static_cast<std::size_t>(p * (values.size() - 1))];
}

bool MeasureLatency(int baud) {
    Pty pty;
    if (!pty.Create()) return false;
    PollSettings settings;
    settings.port = kPort;
    settings.baud = baud;
    CommPort port = OpenCommPort(settings, TimeoutProfile::Interactive);
    if (!port.IsOpen()) return false;
    PacedModule module(pty.master, baud);

    const std::uint8_t entry = 5;
    const std::vector<std::uint8_t> request = BuildRequest(1, CMD_READ_SN, &entry, 1);
    const double byteMs = 1000.0 * kBitsPerByte / baud;
    const double floorMs =
        kRequestPauseMs + byteMs * (static_cast<double>(request.size()) + kReplyBytes);
    ReplyBlock reply{};
    std::vector<double> latency, pickup;
    for (int round = 0; round < kWarmUp + kRounds; ++round) {
        const long long start = NowNs();
        const int got = ExchangeCommandFrame(port, request, CMD_READ_SN, reply, TraceSink());
        const long long end = NowNs();
        if (got != kReplyBytes) {
            std::printf("  round %d: %d bytes instead of %d\n", round, got, kReplyBytes);
            return false;
        }
        if (round < kWarmUp) continue;
        latency.push_back((end - start) / 1e6);
        pickup.push_back((end - module.lastByteNs()) / 1e6);
    }
    const double median = Median(latency);
    std::printf(
        "%6d Bd: floor %.3f ms, median %.3f ms (floor %+.3f ms, ratio %.5f), p90 %.3f ms; "
        "reply noticed %.3f ms median / %.3f ms max after its last byte\n",
        baud, floorMs, median, median - floorMs, median / floorMs, Percentile(latency, 0.9),
        Median(pickup), Percentile(pickup, 1.0));
    return true;
}

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

bool MeasureIdleWait() {
    Pty pty;
    if (!pty.Create()) return false;
    PollSettings settings;
    settings.port = kPort;
    settings.baud = 9600;
    CommPort port = OpenCommPort(settings, TimeoutProfile::Polling);
    if (!port.IsOpen()) return false;
    const double cpuBefore = CpuSeconds();
    const long long start = NowNs();
    const unsigned queued = port.WaitForInput(17, 3000);
    const double wallSeconds = (NowNs() - start) / 1e9;
    const double cpu = CpuSeconds() - cpuBefore;
    std::printf("idle wait: %u bytes after %.3f s, CPU %.3f ms = %.4f %% of a core\n", queued,
                wallSeconds, cpu * 1e3, 100.0 * cpu / wallSeconds);
    return true;
}

}  // namespace

int main() {
    std::printf("ExchangeCommandFrame, 10-byte request, 17-byte reply, %d rounds\n", kRounds);
    bool ok = MeasureLatency(9600);
    ok = MeasureLatency(38400) && ok;
    ok = MeasureIdleWait() && ok;
    return ok ? 0 : 1;
}
