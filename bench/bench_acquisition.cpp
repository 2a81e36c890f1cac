// Continuous acquisition as an operator runs it: the real main window (offscreen platform),
// button 1010, the real worker thread, against the in-process simulated module pacing its
// replies at 9600 Bd.
//
// 1. CPU per minute of acquisition with a healthy and with a silent module: the process
//    (getrusage) and each thread (/proc/self/task/<tid>/schedstat, nanoseconds), so that the
//    simulator's own thread can be told apart from the console's.
// 2. The interval between successive temperature-block requests as the simulator receives them,
//    against period + exchange time, with a breakdown of where any excess goes: the window's
//    handling of each result is timed in QApplication::notify.
//
// 3. With --accessibility, the same under a screen reader's bridge (run it inside
//    bench/with_accessibility.sh): the bridge must be connected before the phases start.
//
// Usage: bench_acquisition [--seconds S] [--period MS] [--accessibility]
//        (defaults: 60 s a phase, 600 ms)

// Before any Qt header: Qt's `forever` macro would rewrite a member of the fault book.
#include "sim/simulated_module.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <QAccessible>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "console/acquisition.h"
#include "console/scanner_dlg.h"
#include "link/commands.h"
#include "res/dialog_templates.h"
#include "res/resource.h"
#include "ui/app.h"
#include "ui/testing/scoped_hooks.h"
#include "ui/testing/ui_driver.h"
#include "ui/testing/wait.h"
#include "ui/qt/window_link.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr int kBaud = 9600;
constexpr int kBitsPerByte = 10;
constexpr int kRequestBytes = 9;
constexpr int kProbes = 20;

CWinApp benchApp;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double WireMs(int bytes) { return 1000.0 * bytes * kBitsPerByte / kBaud; }

long long ProcessCpuNs() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto ns = [](const timeval& t) { return t.tv_sec * 1000000000LL + t.tv_usec * 1000LL; };
    return ns(usage.ru_utime) + ns(usage.ru_stime);
}

// Time a thread has spent on a CPU and how many times it was scheduled in; -1 when the kernel
// does not say.
struct ThreadCpu {
    long long ns = -1;
    long long runs = -1;
};

ThreadCpu ThreadCpuOf(long tid) {
    std::ifstream in("/proc/self/task/" + std::to_string(tid) + "/schedstat");
    ThreadCpu cpu;
    long long waitingNs = 0;
    if (!(in >> cpu.ns >> waitingNs >> cpu.runs)) return {};
    return cpu;
}

std::string ThreadName(long tid) {
    std::ifstream in("/proc/self/task/" + std::to_string(tid) + "/comm");
    std::string name;
    std::getline(in, name);
    return name;
}

std::set<long> Threads() {
    std::set<long> tids;
    const QDir tasks("/proc/self/task");
    for (const QString& name : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        tids.insert(name.toLong());
    }
    return tids;
}

// What the simulator's I/O thread saw of the block requests, stamped as it saw them.
class RequestLog {
public:
    struct Block {
        Clock::time_point request;
        Clock::time_point reply;  // the reply's first byte about to go out; unset when silent
        int replyBytes = 0;
    };

    // The trace callback: "rx 14 3f 00 00 0b ..." and "tx ...", the command in the fifth byte.
    void Trace(const std::string& line) {
        const auto now = Clock::now();
        std::istringstream words(line);
        std::string label, byte;
        words >> label;
        std::vector<std::string> bytes;
        while (words >> byte) bytes.push_back(byte);
        if (bytes.size() < 5 || std::stoi(bytes[4], nullptr, 16) != CMD_READ_TEMPERATURES) return;
        std::lock_guard lock(mutex_);
        simThread_ = static_cast<long>(syscall(SYS_gettid));
        if (label == "rx") {
            blocks_.push_back({now, {}, 0});
        } else if (label == "tx" && !blocks_.empty()) {
            blocks_.back().reply = now;
            blocks_.back().replyBytes = static_cast<int>(bytes.size());
        }
    }
    std::vector<Block> Blocks() const {
        std::lock_guard lock(mutex_);
        return blocks_;
    }
    int Count() const {
        std::lock_guard lock(mutex_);
        return static_cast<int>(blocks_.size());
    }
    long SimThread() const {
        std::lock_guard lock(mutex_);
        return simThread_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<Block> blocks_;
    long simThread_ = 0;
};

// Times each call a worker makes on the window (SendMessage arrives as an event for a
// SyncReceiver); all on the user-interface thread.
class TimedApplication : public QApplication {
public:
    using QApplication::QApplication;
    struct Call {
        Clock::time_point begin, end;
    };
    bool notify(QObject* receiver, QEvent* event) override {
        if (event->type() < QEvent::User || dynamic_cast<SyncReceiver*>(receiver) == nullptr) {
            return QApplication::notify(receiver, event);
        }
        const auto begin = Clock::now();
        const bool handled = QApplication::notify(receiver, event);
        calls.push_back({begin, Clock::now()});
        return handled;
    }
    std::vector<Call> calls;
};

struct CpuSnapshot {
    Clock::time_point wall;
    long long process;
    ThreadCpu ui, sim, worker;
};

CpuSnapshot TakeCpu(long ui, long sim, long worker) {
    return {Clock::now(), ProcessCpuNs(), ThreadCpuOf(ui), ThreadCpuOf(sim), ThreadCpuOf(worker)};
}

ThreadCpu Spent(const ThreadCpu& a, const ThreadCpu& b) {
    if (a.ns < 0 || b.ns < 0) return {};
    return {b.ns - a.ns, b.runs - a.runs};
}

void PrintCpuLine(const char* what, long long ns, double wallMs, long long runs = -1) {
    if (ns < 0) {
        std::printf("  %-32s n/a\n", what);
        return;
    }
    const double ms = ns / 1e6;
    std::printf("  %-32s %9.3f ms CPU = %8.3f ms/min = %7.4f %% of a core", what, ms,
                ms * 60000.0 / wallMs, 100.0 * ms / wallMs);
    if (runs >= 0) std::printf(", %5.1f wake-ups/s", runs * 1000.0 / wallMs);
    std::printf("\n");
}

double Median(std::vector<double> values) {
    if (values.empty()) return NAN;
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double MaxAbs(const std::vector<double>& values) {
    double m = 0;
    for (double v : values) m = std::max(m, std::fabs(v));
    return m;
}

double Min(const std::vector<double>& v) {
    return v.empty() ? NAN : *std::min_element(v.begin(), v.end());
}

double Max(const std::vector<double>& v) {
    return v.empty() ? NAN : *std::max_element(v.begin(), v.end());
}

void PrintStat(const char* what, const std::vector<double>& v) {
    std::printf("  %-44s median %8.3f  min %8.3f  max %8.3f ms\n", what, Median(v), Min(v), Max(v));
}

class Bench {
public:
    Bench(TimedApplication& app, SimulatedModule& sim, RequestLog& log, int seconds, int period)
        : app_(app), sim_(sim), log_(log), seconds_(seconds), period_(period) {}

    bool Run() {
        if (!dlg_.Create()) {
            std::fprintf(stderr, "the main window did not open\n");
            return false;
        }
        if (!uitest::ReplaceText(dlg_, IDC_PERIOD, std::to_string(period_))) return false;
        const bool ok = Phase("healthy module", false) && Phase("silent module", true);
        dlg_.DestroyWindow();
        uitest::FlushDeferredDeletes();
        for (const auto& box : boxes_.Texts()) std::printf("message box: %s\n", box.c_str());
        return ok;
    }

private:
    bool Phase(const char* name, bool silent) {
        if (silent) {
            sim_.InjectFault({FaultKind::Silence, kEveryReply, kAnyCommand, -1});
        } else {
            sim_.ClearFaults();
        }
        const std::set<long> before = Threads();
        const int seen = log_.Count();
        if (!uitest::Click(dlg_, IDC_CONTINUOUS_ACQUISITION) ||
            uitest::Text(dlg_, IDC_CONTINUOUS_ACQUISITION) != "取消采集") {
            std::fprintf(stderr, "%s: acquisition did not start\n", name);
            return false;
        }
        // Settled once the second request is in: the port is open and one cycle is through.
        if (!uitest::WaitUntil([&] { return log_.Count() >= seen + 2; }, 15s)) {
            std::fprintf(stderr, "%s: no block requests arrive\n", name);
            return false;
        }
        // The worker is the thread the click started; Qt may start pool threads of its own
        // meanwhile, which carry names of their own.
        const long ui = static_cast<long>(getpid());
        long worker = -1;
        int started = 0;
        for (long tid : Threads()) {
            if (before.count(tid) || ThreadName(tid) != ThreadName(ui)) continue;
            worker = tid;
            ++started;
        }
        if (started != 1) {
            std::printf("%s: %d unnamed threads started with acquisition; worker figures n/a\n",
                        name, started);
            worker = -1;
        }
        const long simThread = log_.SimThread();

        app_.calls.clear();
        const CpuSnapshot start = TakeCpu(ui, simThread, worker);
        QEventLoop loop;
        QTimer::singleShot(std::chrono::seconds(seconds_), &loop, &QEventLoop::quit);
        loop.exec();
        const CpuSnapshot end = TakeCpu(ui, simThread, worker);
        const std::vector<TimedApplication::Call> calls = app_.calls;

        uitest::Click(dlg_, IDC_CONTINUOUS_ACQUISITION);
        if (!uitest::WaitUntil([] { return g_acquisitionWorkers == 0; }, 15s)) {
            std::fprintf(stderr, "%s: the worker did not end\n", name);
            return false;
        }

        std::vector<RequestLog::Block> blocks;
        for (const auto& b : log_.Blocks()) {
            if (b.request >= start.wall && b.request <= end.wall) blocks.push_back(b);
        }
        const double wallMs = Ms(end.wall - start.wall);
        std::printf("\n== %s: %.1f s, period %d ms, %zu block requests\n", name, wallMs / 1000,
                    period_, blocks.size());
        const long long process = end.process - start.process;
        const ThreadCpu simCpu = Spent(start.sim, end.sim);
        const ThreadCpu workerCpu = Spent(start.worker, end.worker);
        const ThreadCpu uiCpu = Spent(start.ui, end.ui);
        PrintCpuLine("process (getrusage user+sys)", process, wallMs);
        PrintCpuLine("console = process - simulator", simCpu.ns < 0 ? -1 : process - simCpu.ns,
                     wallMs);
        PrintCpuLine("  worker thread", workerCpu.ns, wallMs, workerCpu.runs);
        PrintCpuLine("  user-interface thread", uiCpu.ns, wallMs, uiCpu.runs);
        PrintCpuLine("simulator I/O thread", simCpu.ns, wallMs, simCpu.runs);
        PrintIntervals(blocks, calls, silent);
        return true;
    }

    // One reading of a healthy run, between its request and the next one (ms).
    struct Cycle {
        double interval = NAN, latency = NAN, devTerminal = NAN, devLine = NAN;
        double beforeUi = NAN, handler = NAN, afterUi = NAN;
    };

    void PrintIntervals(const std::vector<RequestLog::Block>& blocks,
                        const std::vector<TimedApplication::Call>& calls, bool silent) {
        std::vector<Cycle> cycles;
        int replyBytes = 0;
        for (std::size_t k = 0; k + 1 < blocks.size(); ++k) {
            const auto& b = blocks[k];
            Cycle c;
            c.interval = Ms(blocks[k + 1].request - b.request);
            if (!silent && b.replyBytes > 0) {
                replyBytes = b.replyBytes;
                c.latency = Ms(b.reply - b.request);
                const double exchange = c.latency + WireMs(b.replyBytes);
                c.devTerminal = c.interval - (period_ + exchange);
                c.devLine = c.devTerminal - WireMs(kRequestBytes);
                // The window's handling of this reading's result: the call between the requests.
                const auto replyEnd =
                    b.reply + std::chrono::duration_cast<Clock::duration>(
                                  std::chrono::duration<double, std::milli>(WireMs(b.replyBytes)));
                for (const auto& call : calls) {
                    if (call.begin > replyEnd && call.end < blocks[k + 1].request) {
                        c.beforeUi = Ms(call.begin - replyEnd) - period_;
                        c.handler = Ms(call.end - call.begin);
                        c.afterUi = Ms(blocks[k + 1].request - call.end);
                        break;
                    }
                }
            }
            cycles.push_back(c);
        }
        auto column = [&cycles](double Cycle::*field) {
            std::vector<double> values;
            for (const Cycle& c : cycles) {
                if (!std::isnan(c.*field)) values.push_back(c.*field);
            }
            return values;
        };
        PrintStat("interval between block requests", column(&Cycle::interval));
        if (silent || cycles.empty()) return;
        std::printf("  reply %d bytes: wire %.3f ms; request %d bytes: wire %.3f ms\n", replyBytes,
                    WireMs(replyBytes), kRequestBytes, WireMs(kRequestBytes));
        PrintStat("module latency (request seen -> reply out)", column(&Cycle::latency));
        const std::vector<double> devTerminal = column(&Cycle::devTerminal);
        const std::vector<double> devLine = column(&Cycle::devLine);
        std::printf("  deviation of the interval from period + exchange:\n");
        std::printf("    exchange as on the pseudo-terminal (latency + reply wire; the request\n"
                    "    is not paced):  median %+8.3f ms, max |dev| %7.3f ms\n",
                    Median(devTerminal), MaxAbs(devTerminal));
        const auto within = std::count_if(devTerminal.begin(), devTerminal.end(),
                                          [](double d) { return std::fabs(d) <= 1.0; });
        std::printf("                    within +-1 ms: %ld of %zu readings\n",
                    static_cast<long>(within), devTerminal.size());
        std::printf("    exchange as on a real line (+ request wire %.3f ms):\n"
                    "                    median %+8.3f ms, max |dev| %7.3f ms\n",
                    WireMs(kRequestBytes), Median(devLine), MaxAbs(devLine));
        std::printf("  where the excess over period + exchange (pseudo-terminal) goes:\n");
        PrintStat("  reply due -> window called, minus period", column(&Cycle::beforeUi));
        PrintStat("  window handles the result (SendMessage)", column(&Cycle::handler));
        PrintStat("  handled -> next request seen", column(&Cycle::afterUi));
        const auto worst = std::max_element(cycles.begin(), cycles.end(), [](auto& a, auto& b) {
            return std::fabs(a.devTerminal) < std::fabs(b.devTerminal);
        });
        std::printf("  worst reading: %+.3f ms = %.3f before the window + %.3f handling + %.3f "
                    "after (+ latency %.3f)\n",
                    worst->devTerminal, worst->beforeUi, worst->handler, worst->afterUi,
                    worst->latency);
        const std::vector<double> oversleep = SleepOvershoot();
        PrintStat("  this machine's sleep_for(50 ms) overshoot", oversleep);
    }

    // How late a plain relative sleep wakes on this machine, for comparison with the worker's.
    static std::vector<double> SleepOvershoot() {
        std::vector<double> late;
        for (int i = 0; i < 10; ++i) {
            const auto begin = Clock::now();
            std::this_thread::sleep_for(50ms);
            late.push_back(Ms(Clock::now() - begin) - 50.0);
        }
        return late;
    }

    TimedApplication& app_;
    SimulatedModule& sim_;
    RequestLog& log_;
    const int seconds_;
    const int period_;
    uitest::MessageBoxRecorder boxes_;
    CScannerDlg dlg_;
};

bool ParseArguments(int argc, char** argv, int& seconds, int& period, bool& accessibility) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--accessibility") {
            accessibility = true;
        } else if (arg == "--seconds" && hasValue) {
            seconds = std::atoi(argv[++i]);
        } else if (arg == "--period" && hasValue) {
            period = std::atoi(argv[++i]);
        } else {
            return false;
        }
    }
    return seconds > 0 && period >= kMinPeriodMs;
}

}  // namespace

int main(int argc, char** argv) {
    int seconds = 60;
    int period = kMinPeriodMs;
    bool accessibility = false;
    if (!ParseArguments(argc, argv, seconds, period, accessibility)) {
        std::fprintf(stderr,
                     "usage: %s [--seconds S] [--period MS] [--accessibility]\n"
                     "  --seconds S      measuring window of each phase (default 60)\n"
                     "  --period MS      acquisition period, >= %d (default %d)\n"
                     "  --accessibility  require Qt's accessibility bridge to be active (run\n"
                     "                   inside bench/with_accessibility.sh)\n",
                     argv[0], kMinPeriodMs, kMinPeriodMs);
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    TimedApplication app(argc, argv);
    RegisterResources();
    if (accessibility) {
        // The bridge connects to the accessibility bus asynchronously.
        QDialog probe;  // a window, so that the bridge has something to serve
        probe.show();
        if (!uitest::WaitUntil([] { return QAccessible::isActive(); }, 10s)) {
            std::fprintf(stderr, "the accessibility bridge did not become active\n");
            return 1;
        }
    }

    // The console logs failed readings into the directory it starts in.
    QTemporaryDir dir;
    const std::string root = dir.path().toStdString();
    const std::string ports = root + "/ports";
    QDir().mkpath(QString::fromStdString(ports));
    setenv("K7R2_PORT_DIR", ports.c_str(), 1);
    if (chdir(root.c_str()) != 0) return 1;

    RequestLog log;
    SimOptions options;
    options.port = 1;
    options.portDirectory = ports;
    options.probeCount = kProbes;
    options.paceBytes = true;
    options.baud = kBaud;
    options.trace = [&log](const std::string& line) { log.Trace(line); };
    SimulatedModule sim(options);
    if (!sim.Start()) {
        std::fprintf(stderr, "simulator: %s\n", sim.LastError().c_str());
        return 1;
    }
    std::printf("continuous acquisition, real window (%s platform), simulated module on a\n"
                "pseudo-terminal, %d probes, replies paced at %d Bd; %d s a phase\n",
                QApplication::platformName().toStdString().c_str(), kProbes, kBaud, seconds);
    std::ifstream loadavg("/proc/loadavg");
    std::string load;
    std::getline(loadavg, load);
    std::printf("load average at start: %s\n", load.c_str());
    std::printf("accessibility bridge: %s\n", QAccessible::isActive() ? "active" : "inactive");
    Bench bench(app, sim, log, seconds, period);
    const bool ok = bench.Run();
    sim.Stop();
    return ok ? 0 : 1;
}
