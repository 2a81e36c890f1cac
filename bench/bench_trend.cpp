// The trend and the recording under load:
// 1. appending one 68-value reading to the trend store and to the recording (CSV record
//    formatted and written with one write());
// 2. redrawing the trend window with 68 channels x 24 hours at 600 ms (144 000 readings,
//    9.8 million values): decimation, the chart's layout (ticks, lines' image), and painting;
// 3. resident memory with the full store, and with the window open on it;
// 4. CPU of continuous acquisition at 600 ms through the real window against the simulated
//    module (64 probes, paced at 9600 Bd), with the trend window closed and then open, per
//    thread;
// 5. the trend window's work for one reading (10 minutes of 68 channels shown), alone;
// 6. the same at the start of acquisition, with the simulated module's values (what 4 sees).
//
// Usage: bench_trend [--seconds N] [--only M]   (N: each CPU phase, default 60; M: 1..6)
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QEventLoop>
#include <QImage>
#include <QTimer>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <filesystem>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "console/acquisition.h"
#include "console/scanner_dlg.h"
#include "link/temp_word.h"
#include "record/readings_csv.h"
#include "record/readings_recorder.h"
#include "res/dialog_templates.h"
#include "res/resource.h"
#include "sim/simulated_module.h"
#include "sim/temperature_model.h"
#include "trend/decimate.h"
#include "trend/trend_store.h"
#include "trend/trend_dialog.h"
#include "trend/trend_window.h"
#include "ui/qt/console_style.h"
#include "ui/testing/scoped_hooks.h"
#include "ui/testing/ui_driver.h"
#include "ui/testing/wait.h"

namespace {

using Clock = std::chrono::steady_clock;
CWinApp benchApp;

double Us(Clock::duration d) { return std::chrono::duration<double, std::micro>(d).count(); }
double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// Serves the event loop for a while without spinning, as the application's own loop does.
void RunEventLoopFor(std::chrono::milliseconds duration) {
    QEventLoop loop;
    QTimer::singleShot(duration, &loop, &QEventLoop::quit);
    loop.exec();
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}
double Percentile(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    return v[static_cast<std::size_t>(p * static_cast<double>(v.size() - 1))];
}

long RssKb() {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    }
    return -1;
}

// How often the calling thread has gone to sleep and been woken.
long VoluntarySwitches() {
    std::ifstream in("/proc/thread-self/status");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("voluntary_ctxt_switches:", 0) == 0) return std::atol(line.c_str() + 24);
    }
    return -1;
}

long long ProcessCpuNs() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto ns = [](const timeval& t) { return t.tv_sec * 1000000000LL + t.tv_usec * 1000LL; };
    return ns(usage.ru_utime) + ns(usage.ru_stime);
}

long long ThreadCpuNs(long tid) {
    std::ifstream in("/proc/self/task/" + std::to_string(tid) + "/schedstat");
    long long ns = -1;
    in >> ns;
    return ns;
}

struct ThreadTime {
    std::string name;
    long long ns = 0;
};

// Every thread of the process now, by id: its name and CPU time so far.
std::map<long, ThreadTime> ThreadTimes() {
    std::map<long, ThreadTime> times;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        const long tid = std::atol(task.path().filename().c_str());
        ThreadTime time;
        std::ifstream(task.path() / "comm") >> time.name;
        time.ns = ThreadCpuNs(tid);
        if (time.ns >= 0) times[tid] = time;
    }
    return times;
}

// The threads that took CPU between two looks, other than the ones already shown.
std::string OtherThreads(const std::map<long, ThreadTime>& before,
                         const std::map<long, ThreadTime>& after, std::vector<long> shown,
                         long acquisitionWorker, double wallNs) {
    std::string text;
    for (const auto& [tid, time] : after) {
        if (std::find(shown.begin(), shown.end(), tid) != shown.end()) continue;
        const auto earlier = before.find(tid);
        const long long ns = time.ns - (earlier != before.end() ? earlier->second.ns : 0);
        if (ns <= 0) continue;
        char part[96];
        std::snprintf(part, sizeof part, "%s%s %.3f %%", text.empty() ? "" : ", ",
                      tid == acquisitionWorker ? "acquisition worker" : time.name.c_str(),
                      100.0 * static_cast<double>(ns) / wallNs);
        text += part;
    }
    return text.empty() ? "none" : text;
}

// A 68-value reading whose values wander a little, as probes do.
Reading SampleReading(std::chrono::system_clock::time_point time, int i) {
    Reading r;
    r.time = time;
    for (int c = 0; c < kReadingChannels; ++c) {
        r.words.push_back(TempWordFromTenths(200 + c * 3 + (i * 7 + c * 13) % 41 - 20));
    }
    return r;
}

void BenchAppend(const std::string& dir) {
    TrendStore store;
    ReadingsRecorder recorder;
    std::string error;
    if (!recorder.Start(dir + "/bench.csv", error)) {
        std::printf("cannot record: %s\n", error.c_str());
        return;
    }
    const int n = 20000;
    std::vector<double> storeUs, recordUs, bothUs, formatUs;
    const auto start = std::chrono::system_clock::now();
    for (int i = 0; i < n; ++i) {
        const Reading r = SampleReading(start + std::chrono::milliseconds(600LL * i), i);
        const auto f0 = Clock::now();
        const std::string record = CsvRecord(r);
        formatUs.push_back(Us(Clock::now() - f0));
        const auto t0 = Clock::now();
        recorder.Record(r);
        const auto t1 = Clock::now();
        store.Add(r);
        const auto t2 = Clock::now();
        recordUs.push_back(Us(t1 - t0));
        storeUs.push_back(Us(t2 - t1));
        bothUs.push_back(Us(t2 - t0));
    }
    std::printf("1. append one 68-value reading (%d readings; target <= 20 us)\n", n);
    std::printf("   store:            median %6.2f us, p99 %6.2f us\n", Median(storeUs),
                Percentile(storeUs, 0.99));
    std::printf("   recording:        median %6.2f us, p99 %6.2f us\n", Median(recordUs),
                Percentile(recordUs, 0.99));
    std::printf("   of which the record's text: median %6.2f us\n", Median(formatUs));
    std::printf("   store + recording: median %6.2f us, p99 %6.2f us\n", Median(bothUs),
                Percentile(bothUs, 0.99));
}

long long ThreadCpuNow() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1000000000LL + t.tv_nsec;
}

void BenchRedrawAndMemory() {
    const long rssBefore = RssKb();
    TrendStore store;
    const auto start = std::chrono::system_clock::now() - std::chrono::hours(24);
    const int n = 24 * 3600 * 1000 / 600;
    for (int i = 0; i < n; ++i) {
        store.Add(SampleReading(start + std::chrono::milliseconds(600LL * i), i));
    }
    const long rssStore = RssKb();

    QWidget owner;
    CWnd ownerWnd;
    ownerWnd.Attach(&owner);
    TrendWindow window(store);
    window.Open(ownerWnd, "/tmp");
    CTrendDlg* widget = window.Dialog();
    RunEventLoopFor(std::chrono::milliseconds(200));  // laid out
    uitest::Click(*widget, IDC_TREND_SPAN_ALL);
    TrendChartControl& chart = widget->Chart();
    QWidget* view = chart.GetWidget();
    const int columns = chart.Layout().plot.width;

    std::vector<double> decimateMs, redrawMs, paintMs, cpuMs;
    QImage image(view->size(), QImage::Format_ARGB32_Premultiplied);
    for (int round = 0; round < 31; ++round) {
        // Drawn whole each round, as for a new span: with nothing changed since, a redraw would
        // keep the image it has.
        chart.SetScene(chart.Scene().fromMs, chart.Scene().toMs, {});
        auto t0 = Clock::now();
        std::size_t points = 0;
        const std::int64_t to = store.TimeMs(store.Size() - 1) + 1;
        const auto starts = ColumnStarts(store, store.TimeMs(0), to, columns);
        std::vector<TrendPoint> out;
        for (int c = 0; c < kReadingChannels; ++c) {
            out.clear();
            DecimateMinMax(store, c, starts, out);
            points += out.size();
        }
        auto t1 = Clock::now();
        const long long cpu0 = ThreadCpuNow();
        widget->RedrawChart();
        auto t2 = Clock::now();
        image.fill(Qt::white);
        QPainter painter(&image);
        view->render(&painter);
        painter.end();
        auto t3 = Clock::now();
        cpuMs.push_back(static_cast<double>(ThreadCpuNow() - cpu0) / 1e6);
        decimateMs.push_back(Ms(t1 - t0));
        redrawMs.push_back(Ms(t2 - t1));
        paintMs.push_back(Ms(t3 - t2));
        if (round == 0) {
            std::printf("2. redraw 68 channels x 24 h at 600 ms: %zu samples, %zu values, %d pixel "
                        "columns, %zu points drawn (target <= 30 ms)\n",
                        store.Size(), store.Size() * kReadingChannels, columns, points);
        }
    }
    std::printf("   decimation alone:              median %6.2f ms\n", Median(decimateMs));
    std::printf("   redraw (decimation + layout):  median %6.2f ms\n", Median(redrawMs));
    std::printf("   painting the chart:            median %6.2f ms\n", Median(paintMs));
    std::vector<double> total;
    for (std::size_t i = 0; i < redrawMs.size(); ++i) total.push_back(redrawMs[i] + paintMs[i]);
    std::printf("   redraw + painting:             median %6.2f ms, max %6.2f ms\n",
                Median(total), *std::max_element(total.begin(), total.end()));
    // CPU time leaves out the waits of a machine whose other work preempts this thread.
    std::printf("   redraw + painting, thread CPU: median %6.2f ms, min %6.2f ms\n", Median(cpuMs),
                *std::min_element(cpuMs.begin(), cpuMs.end()));
    const long rssWindow = RssKb();
    std::printf("3. resident memory (target <= 150 MB)\n");
    std::printf("   before the store %6.1f MB, full store %6.1f MB, window open on it %6.1f MB\n",
                rssBefore / 1024.0, rssStore / 1024.0, rssWindow / 1024.0);
    window.Close();
}

// What one reading costs the user-interface thread with the trend window open, without the
// serial line's and the simulator's noise: the store grows by a reading, the window follows,
// and the event loop runs until the window has been redrawn and painted.
void BenchTrendPerReading(const char* title, int held, int rounds,
                          const std::function<Reading(std::chrono::system_clock::time_point, int)>&
                              sample) {
    TrendStore store;
    const auto start = std::chrono::system_clock::now() - std::chrono::milliseconds(600LL * held);
    int i = 0;
    for (; i < held; ++i) store.Add(sample(start + std::chrono::milliseconds(600LL * i), i));
    QWidget owner;
    CWnd ownerWnd;
    ownerWnd.Attach(&owner);
    TrendWindow window(store);
    window.Open(ownerWnd, "/tmp");
    RunEventLoopFor(std::chrono::milliseconds(200));  // laid out and painted once
    CTrendDlg* widget = window.Dialog();
    std::vector<double> cpuUs;
    const long long process0 = ProcessCpuNs();
    for (int round = 0; round < rounds; ++round, ++i) {
        const long long t0 = ThreadCpuNow();
        store.Add(sample(start + std::chrono::milliseconds(600LL * i), i));
        window.StoreChanged();
        const int redraws = widget->ChartRedraws();
        // The redraw is due at once, its paint right after it.
        while (widget->ChartRedraws() == redraws) QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        cpuUs.push_back(static_cast<double>(ThreadCpuNow() - t0) / 1000.0);
    }
    const double processUs =
        static_cast<double>(ProcessCpuNs() - process0) / 1000.0 / static_cast<double>(rounds);
    std::printf("%s (%d readings)\n", title, rounds);
    std::printf("   UI thread: median %7.1f us, p90 %7.1f us = %.3f %% of a core at 600 ms\n",
                Median(cpuUs), Percentile(cpuUs, 0.9), Median(cpuUs) / 6000.0);
    std::printf("   all threads: mean %7.1f us = %.3f %% of a core at 600 ms\n", processUs,
                processUs / 6000.0);
    // With nothing new the window must not wake the thread: the loop's own timer ends the wait.
    const long switches0 = VoluntarySwitches();
    RunEventLoopFor(std::chrono::seconds(3));
    std::printf("   UI thread wake-ups in 3 s without a reading: %ld\n",
                VoluntarySwitches() - switches0 - 1);
}

// A reading of the simulated module's 68 channels at `seconds` since it started: set points
// from a freezer to an oven, slow waves of a few tenths and a tenth of noise.
Reading ModelReading(TemperatureModel& model, std::chrono::system_clock::time_point time,
                     double seconds) {
    Reading r;
    r.time = time;
    for (int input = 0; input < kPt100Inputs; ++input) {
        r.words.push_back(TempWordFromTenths(model.Pt100Tenths(input, seconds)));
    }
    for (int probe = 1; probe <= kProbeChannels; ++probe) {
        r.words.push_back(TempWordFromTenths(model.ProbeTenths(probe, seconds)));
    }
    return r;
}

void BenchAcquisitionCpu(const std::string& dir, int seconds) {
    setenv("K7R2_PORT_DIR", (dir + "/ports").c_str(), 1);
    if (chdir(dir.c_str()) != 0) return;
    std::atomic<long> simThread{0};
    SimOptions options;
    options.port = 1;
    options.portDirectory = dir + "/ports";
    options.probeCount = 64;
    options.trace = [&](const std::string&) {
        simThread = static_cast<long>(syscall(SYS_gettid));
    };
    std::filesystem::create_directories(options.portDirectory);
    SimulatedModule sim(options);
    if (!sim.Start()) {
        std::printf("simulator: %s\n", sim.LastError().c_str());
        return;
    }
    uitest::MessageBoxRecorder boxes;
    CScannerDlg dlg;
    dlg.Create();
    uitest::ReplaceText(dlg, IDC_PERIOD, "600");
    const auto threadsBefore = ThreadTimes();
    uitest::Click(dlg, IDC_CONTINUOUS_ACQUISITION);
    uitest::WaitUntil([&] { return !uitest::Text(dlg, IDC_OK_COUNT).empty(); },
                      std::chrono::seconds(10));
    const long ui = static_cast<long>(syscall(SYS_gettid));
    // The worker is the thread the button started, named like the program's own threads.
    long worker = 0;
    for (const auto& [tid, time] : ThreadTimes()) {
        if (threadsBefore.count(tid) == 0 && tid != simThread &&
            time.name == threadsBefore.at(ui).name) {
            worker = tid;
        }
    }
    std::printf("4. continuous acquisition at 600 ms, 64 probes at 9600 Bd, %d s a phase "
                "(target with the trend open <= 1 %% of a core)\n", seconds);
    for (int phase = 0; phase < 2; ++phase) {
        if (phase == 1) {
            dlg.Dispatch(WM_COMMAND, ID_VIEW_TREND, 0);
            RunEventLoopFor(std::chrono::seconds(2));
        }
        const auto wall0 = Clock::now();
        const auto threads0 = ThreadTimes();
        const long long p0 = ProcessCpuNs(), s0 = ThreadCpuNs(simThread), u0 = ThreadCpuNs(ui);
        const int r0 = dlg.m_trendWindow.Dialog() ? dlg.m_trendWindow.Dialog()->ChartRedraws() : 0;
        const auto readings0 = dlg.m_trendStore.Size();
        RunEventLoopFor(std::chrono::seconds(seconds));
        const double wall = static_cast<double>(
            std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - wall0).count());
        const long long p = ProcessCpuNs() - p0, s = ThreadCpuNs(simThread) - s0,
                        u = ThreadCpuNs(ui) - u0;
        const auto threads = ThreadTimes();
        const int redraws =
            (dlg.m_trendWindow.Dialog() ? dlg.m_trendWindow.Dialog()->ChartRedraws() : 0) - r0;
        std::printf("   trend %-6s console %.3f %% of a core (UI thread %.3f %%), simulator %.3f %%; "
                    "%zu readings, %d chart redraws\n",
                    phase == 0 ? "closed" : "open", 100.0 * static_cast<double>(p - s) / wall,
                    100.0 * static_cast<double>(u) / wall, 100.0 * static_cast<double>(s) / wall,
                    dlg.m_trendStore.Size() - readings0, redraws);
        std::printf("                 other threads: %s\n",
                    OtherThreads(threads0, threads, {ui, simThread}, worker, wall).c_str());
    }
    uitest::Click(dlg, IDC_CONTINUOUS_ACQUISITION);
    dlg.DestroyWindow();
    uitest::WaitUntil([] { return g_acquisitionWorkers == 0; }, std::chrono::seconds(8));
    sim.Stop();
}

}  // namespace

int main(int argc, char** argv) {
    int seconds = 60;
    int only = 0;  // --only N: measurement N alone
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--seconds") == 0) seconds = std::max(1, std::atoi(argv[i + 1]));
        if (std::strcmp(argv[i], "--only") == 0) only = std::atoi(argv[i + 1]);
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setStyle(new ConsoleStyle);  // what the console draws with
    RegisterResources();
    QTemporaryDir dir;
    const std::string path = dir.path().toStdString();
    if (only == 0 || only == 2 || only == 3) BenchRedrawAndMemory();
    if (only == 0 || only == 1) BenchAppend(path);
    if (only == 0 || only == 5) {
        BenchTrendPerReading("5. the trend window's work for one reading (10 minutes, 68 noisy "
                             "channels shown)",
                             1000, 300, SampleReading);
    }
    if (only == 0 || only == 6) {
        TemperatureModel model(1);
        BenchTrendPerReading(
            "6. the same at the start of acquisition (1 minute of the simulated module's "
            "readings held)",
            100, 100, [&](std::chrono::system_clock::time_point time, int i) {
                return ModelReading(model, time, 0.6 * i);
            });
    }
    if (only == 0 || only == 4) BenchAcquisitionCpu(path, seconds);
    return 0;
}
