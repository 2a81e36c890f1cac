// The site window with many alarms: 32 modules on a bus, 200 alarms not yet normal spread over
// their channels, the alarm list open beside it. One step is one alarm changing state (raised
// again, or acknowledged), taken by the window as the bus threads' message delivers it: the
// board, the module and channel columns, the status and the list refreshed, and then the window
// and the list painted (synchronously, offscreen). Wall and thread CPU time per step.
//
//   bench_alarms_window [--steps N]   (default 400)
#include <time.h>

#include <QApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "res/alarm_resource.h"
#include "res/dialog_templates.h"
#include "sitewin/alarm_list_dlg.h"
#include "sitewin/alarm_site.h"
#include "sitewin/site_dlg.h"
#include "ui/afxwin.h"
#include "ui/qt/console_style.h"
#include "ui/qt/dialog_widget.h"
#include "ui/testing/ui_driver.h"

namespace {

using Clock = std::chrono::steady_clock;
CWinApp benchApp;
constexpr int kModules = 32;
constexpr int kAlarms = 200;

double ThreadCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

struct Figures {
    double median, p99, max;
};

Figures Summarise(std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms[ms.size() * 99 / 100], ms.back()};
}

std::string SiteText() {
    std::string text = "name = \"报警测量\"\n[[bus]]\nport = 9\n";
    for (int address = 1; address <= kModules; ++address) {
        text += "  [[bus.module]]\n  address = " + std::to_string(address) + "\n  name = \"" +
                std::to_string(address) + "号仓\"\n";
    }
    return text;
}

AlarmEvent Alarm(int index, AlarmState state) {
    AlarmEvent event;
    event.id = static_cast<std::uint64_t>(index + 1);
    event.time = std::chrono::system_clock::now();
    event.bus = 1;
    event.address = index % kModules + 1;
    event.module = std::to_string(event.address) + "号仓";
    event.channel = 4 + (index * 7) % 64;
    event.kind = index % 3 == 0 ? AlarmKind::Low : AlarmKind::High;
    event.value = 45.3;
    event.limit = 40;
    event.state = state;
    return event;
}

}  // namespace

int main(int argc, char** argv) {
    int steps = 400;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--steps") == 0) steps = std::max(10, std::atoi(argv[i + 1]));
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setStyle(new ConsoleStyle);  // what the console draws with
    RegisterResources();
    QTemporaryDir dir;
    qputenv("K7R2_CONFIG_DIR", dir.path().toUtf8());
    const std::string path = dir.path().toStdString() + "/site.toml";
    std::ofstream(path, std::ios::binary) << SiteText();

    CSiteDlg site(dir.path().toStdString(), nullptr);
    site.Create();
    if (!site.OpenSite(path)) return 1;
    SiteAlarms& alarms = site.Alarms();
    alarms.SetBellSound({});
    alarms.OpenList();
    for (int index = 0; index < kAlarms; ++index) {
        alarms.OnAlarmChange(Alarm(index, AlarmState::ActiveUnacked));
    }
    alarms.TakeChanges();
    QApplication::processEvents();
    QWidget* window = uitest::Window(site);
    QWidget* list = uitest::Window(*alarms.List());

    std::vector<double> take, paint, total, cpu;
    for (int step = 0; step < steps; ++step) {
        const int index = step % kAlarms;
        const AlarmState state = (step / kAlarms) % 2 == 0 ? AlarmState::ActiveAcked : AlarmState::ActiveUnacked;
        const double cpuStart = ThreadCpuMs();
        const Clock::time_point start = Clock::now();
        alarms.OnAlarmChange(Alarm(index, state));
        alarms.TakeChanges();
        const Clock::time_point taken = Clock::now();
        window->repaint();
        list->repaint();
        const Clock::time_point painted = Clock::now();
        cpu.push_back(ThreadCpuMs() - cpuStart);
        take.push_back(Ms(taken - start));
        paint.push_back(Ms(painted - taken));
        total.push_back(Ms(painted - start));
        QApplication::processEvents();  // the posted message, and anything else queued
    }
    std::printf("%d modules, %d alarms not normal, alarm list open; %d steps of one change\n",
                kModules, alarms.Board().Count(), steps);
    const Figures t = Summarise(take), p = Summarise(paint), a = Summarise(total), c = Summarise(cpu);
    std::printf("take the change (board, rows, list): median %.2f ms, p99 %.2f ms, max %.2f ms\n", t.median, t.p99, t.max);
    std::printf("paint window and list:               median %.2f ms, p99 %.2f ms, max %.2f ms\n", p.median, p.p99, p.max);
    std::printf("redraw in all:                       median %.2f ms, p99 %.2f ms, max %.2f ms\n", a.median, a.p99, a.max);
    std::printf("redraw in all, thread CPU time:       median %.2f ms, p99 %.2f ms, max %.2f ms\n", c.median, c.p99, c.max);
    site.DestroyWindow();
    return 0;
}
