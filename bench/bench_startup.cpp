// Start-up of the console as an operator sees it: from launching the program to its main window
// mapped on the X server, measured from outside through the X server itself (the program's
// top-level window reported by MapNotify on the root window). Run it on a display with the
// screen reader's bridge on: bench/with_accessibility.sh build/bench/bench_startup.
//
// Each run also collects the program's own start-up marks ($K7R2_STARTUP_TRACE) and prints where
// the time went: process start to main (loading and static initialisation), the application
// object, fonts, translations, templates, the window object (stores), the template's
// widgets, the menu bar, the lists, the show, and the rest up to the map.
//
// Usage: bench_startup [--runs N] [--program PATH] [--verbose]   (defaults: 10 runs, the console)
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

long long NowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch())
        .count();
}

struct Mark {
    std::string what;
    double at;   // ms after the launch
    double cpu;  // ms of the process's CPU time by then
};

struct Run {
    double mappedMs = -1;
    double cpuMs = -1;  // the program's threads on a CPU until then
    std::vector<Mark> marks;  // first occurrence of each, in order
};

std::vector<Mark> ReadMarks(const std::string& path, long long t0) {
    std::vector<Mark> marks;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        std::string what;
        long long at = 0, cpu = 0;
        if (!std::getline(fields, what, '\t') || !(fields >> at >> cpu)) continue;
        const bool seen =
            std::any_of(marks.begin(), marks.end(), [&](const Mark& m) { return m.what == what; });
        if (!seen) marks.push_back({what, (at - t0) / 1e6, cpu / 1e6});
    }
    return marks;
}

// The time all threads of a process have spent on a CPU (/proc/PID/task/*/schedstat, ns). Unlike
// the wall time it hardly depends on what else the machine runs.
double CpuMs(pid_t pid) {
    long long ns = 0;
    std::error_code error;
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    for (const auto& task : std::filesystem::directory_iterator(tasks, error)) {
        std::ifstream in(task.path() / "schedstat");
        long long onCpu = 0;
        if (in >> onCpu) ns += onCpu;
    }
    return ns / 1e6;
}

// One launch: the time to the first top-level window mapped, or -1 after 10 s.
Run LaunchOnce(xcb_connection_t* x, const std::string& program, const std::string& trace) {
    std::filesystem::remove(trace);
    Run run;
    const long long t0 = NowNs();
    const pid_t child = fork();
    if (child == 0) {
        setenv("K7R2_STARTUP_TRACE", trace.c_str(), 1);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    const int fd = xcb_get_file_descriptor(x);
    const long long deadline = t0 + 10'000'000'000LL;
    while (run.mappedMs < 0 && NowNs() < deadline) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(x)) {
            if ((event->response_type & 0x7F) == XCB_MAP_NOTIFY && run.mappedMs < 0) {
                run.mappedMs = (NowNs() - t0) / 1e6;
                run.cpuMs = CpuMs(child);
            }
            std::free(event);
        }
        if (run.mappedMs >= 0) break;
        pollfd entry{fd, POLLIN, 0};
        poll(&entry, 1, 50);
    }
    kill(child, SIGTERM);
    int status = 0;
    waitpid(child, &status, 0);
    run.marks = ReadMarks(trace, t0);
    return run;
}

double Median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
    int runs = 10;
    bool verbose = false;
    std::string program = K7R2_CONSOLE_PROGRAM;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--runs" && i + 1 < argc) {
            runs = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--program" && i + 1 < argc) {
            program = argv[++i];
        } else if (arg == "--verbose") {
            verbose = true;
        } else {
            std::fprintf(stderr, "usage: %s [--runs N] [--program PATH] [--verbose]\n", argv[0]);
            return 2;
        }
    }
    xcb_connection_t* x = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(x) != 0) {
        std::fprintf(stderr, "no X display: run it inside bench/with_accessibility.sh\n");
        return 1;
    }
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(x)).data;
    const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(x, screen->root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(x);

    // The program runs in a start directory of its own, with no port mapping to find.
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("k7r2-startup-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir / "ports");
    std::filesystem::current_path(dir);
    setenv("K7R2_PORT_DIR", (dir / "ports").c_str(), 1);
    const std::string trace = (dir / "trace.txt").string();

    std::printf("accessibility bridge: %s\n",
                std::getenv("QT_LINUX_ACCESSIBILITY_ALWAYS_ON") != nullptr ? "on" : "off");
    LaunchOnce(x, program, trace);  // warms the page cache and the font cache; not counted
    std::vector<Run> all;
    for (int i = 0; i < runs; ++i) {
        all.push_back(LaunchOnce(x, program, trace));
        if (verbose) {
            std::printf("run %d: mapped at %.1f ms, %.1f ms on a CPU\n", i + 1, all.back().mappedMs,
                        all.back().cpuMs);
        }
    }
    std::filesystem::remove_all(dir);

    std::vector<double> mapped;
    for (const Run& r : all) {
        if (r.mappedMs >= 0) mapped.push_back(r.mappedMs);
    }
    if (mapped.empty()) {
        std::fprintf(stderr, "the window was never mapped\n");
        return 1;
    }
    std::vector<double> cpu;
    for (const Run& r : all) {
        if (r.mappedMs >= 0) cpu.push_back(r.cpuMs);
    }
    std::printf("launch to window mapped: median %.1f ms, min %.1f, max %.1f (%zu runs)\n",
                Median(mapped), *std::min_element(mapped.begin(), mapped.end()),
                *std::max_element(mapped.begin(), mapped.end()), mapped.size());
    std::printf("on a CPU until mapped:   median %.1f ms, min %.1f, max %.1f\n", Median(cpu),
                *std::min_element(cpu.begin(), cpu.end()), *std::max_element(cpu.begin(), cpu.end()));

    // Each step's median duration and CPU time, from the previous mark to this one.
    std::vector<std::string> order;
    std::map<std::string, std::vector<double>> steps, stepsCpu;
    for (const Run& r : all) {
        if (r.mappedMs < 0) continue;
        double previous = 0, previousCpu = 0;
        auto marks = r.marks;
        marks.push_back({"mapped", r.mappedMs, r.cpuMs});
        for (const Mark& m : marks) {
            if (m.at > r.mappedMs) continue;  // after the map (the show's own return, say)
            if (std::find(order.begin(), order.end(), m.what) == order.end()) order.push_back(m.what);
            steps[m.what].push_back(m.at - previous);
            stepsCpu[m.what].push_back(m.cpu - previousCpu);
            previous = m.at;
            previousCpu = m.cpu;
        }
    }
    static const std::map<std::string, const char*> kMeaning = {
        {"main", "process start, libraries, static objects"},
        {"application", "QApplication (platform, display connection, bridge)"},
        {"font", "dialog font (font database)"},
        {"translations", "Qt's Chinese translations"},
        {"resources", "templates and strings registered"},
        {"dialog", "window object (stores, trend, icon)"},
        {"template", "widgets of the template"},
        {"icon", "first initialisation, icon"},
        {"menu bar", "menu bar"},
        {"lists", "temperature lists"},
        {"initialised", "rest of the initialisation"},
        {"shown", "show and focus"},
        {"mapped", "until the X server maps the window"},
    };
    std::printf("%-14s %9s %9s  %s\n", "step", "wall ms", "CPU ms", "what (medians)");
    for (const std::string& what : order) {
        const auto meaning = kMeaning.find(what);
        std::printf("%-14s %9.2f %9.2f  %s\n", what.c_str(), Median(steps[what]),
                    Median(stepsCpu[what]), meaning != kMeaning.end() ? meaning->second : "");
    }
    xcb_disconnect(x);
    return 0;
}
