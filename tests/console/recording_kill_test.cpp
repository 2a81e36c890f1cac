// A recording process killed outright: the file keeps every record reported before the kill,
// each whole. The child is this test program again, running the real window offscreen against
// a simulated module; it names each record on stdout once the window has reported it.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

#include "console/acquisition.h"
#include "console/scanner_dlg.h"
#include "record/readings_csv.h"
#include "res/dialog_templates.h"
#include "res/resource.h"
#include "sim/simulated_module.h"
#include "ui/app.h"
#include "ui/testing/gui_test_main.h"
#include "ui/testing/scoped_hooks.h"
#include "ui/testing/ui_driver.h"
#include "ui/testing/wait.h"

namespace {

// Started with this argument and a directory, the program is the process that records until
// it is killed.
constexpr const char* kRecordUntilKilled = "--record-until-killed";

CWinApp testApp;

int RecordUntilKilled(int argc, char** argv) {
    const std::string dir = argv[2];
    setenv("K7R2_PORT_DIR", (dir + "/ports").c_str(), 1);
    if (chdir(dir.c_str()) != 0) return 2;
    QApplication app(argc, argv);
    RegisterResources();
    SimOptions options;
    options.port = 1;
    options.portDirectory = dir + "/ports";
    options.paceBytes = false;
    options.probeCount = 64;
    SimulatedModule sim(options);
    if (!sim.Start()) return 3;
    uitest::MessageBoxRecorder boxes;
    uitest::ScopedFileDialogHook file(
        [&](const FileDialogRequest&) { return std::optional<std::string>(dir + "/run.csv"); });
    CScannerDlg dlg;
    if (!dlg.Create()) return 4;
    uitest::Window(dlg)->findChild<QAction*>(QStringLiteral("ctl_%1").arg(ID_RECORD_START))->trigger();
    // After the recorder's own observer: the record has been handed over when this runs.
    dlg.m_readings.Subscribe([&](const Reading&) {
        std::printf("%lld\n", dlg.m_recorder.Records());
        std::fflush(stdout);
    });
    if (!uitest::ReplaceText(dlg, IDC_PERIOD, "600") ||
        !uitest::Click(dlg, IDC_CONTINUOUS_ACQUISITION)) {
        return 5;
    }
    return app.exec();  // until killed
}

TEST(RecordingKillTest, AKilledProcessLeavesEveryReportedRecordWhole) {
    QTemporaryDir dir;
    ASSERT_TRUE(QDir().mkpath(dir.path() + "/ports"));
    const std::string path = dir.path().toStdString();
    int out[2];
    ASSERT_EQ(pipe(out), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        dup2(out[1], STDOUT_FILENO);
        close(out[0]);
        close(out[1]);
        const char* args[] = {"/proc/self/exe", kRecordUntilKilled, path.c_str(), nullptr};
        execv(args[0], const_cast<char**>(args));
        _exit(127);
    }
    close(out[1]);
    // Reports come one per 600 ms period; a child that dies ends the pipe, one that hangs the
    // deadline.
    long long reported = 0;
    std::string pending;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (reported < 3 && std::chrono::steady_clock::now() < deadline) {
        pollfd entry{out[0], POLLIN, 0};
        if (poll(&entry, 1, 100) <= 0) continue;
        char chunk[64];
        const ssize_t n = read(out[0], chunk, sizeof chunk);
        if (n <= 0) break;
        pending.append(chunk, static_cast<std::size_t>(n));
        for (std::size_t end; (end = pending.find('\n')) != std::string::npos;) {
            reported = std::atoll(pending.substr(0, end).c_str());
            pending.erase(0, end + 1);
        }
    }
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    close(out[0]);
    ASSERT_GE(reported, 3) << "the child reported too few records";
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);

    std::ifstream in(path + "/run.csv", std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), {}};
    const std::string head = std::string(kCsvByteOrderMark) + CsvHeaderRecord();
    ASSERT_EQ(text.substr(0, head.size()), head);
    long long records = 0;
    for (std::size_t at = head.size(); at < text.size(); ++records) {
        const std::size_t end = text.find("\r\n", at);
        ASSERT_NE(end, std::string::npos) << "a record cut short";
        const std::string record = text.substr(at, end - at);
        EXPECT_EQ(std::count(record.begin(), record.end(), ','), 69) << record;
        EXPECT_NE(record.find(",成功,"), std::string::npos) << record;
        at = end + 2;
    }
    // Those reported, and at most the one in flight at the kill.
    EXPECT_GE(records, reported);
    EXPECT_LE(records, reported + 1);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], kRecordUntilKilled) == 0) {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        return RecordUntilKilled(argc, argv);
    }
    return uitest::RunGuiTests(argc, argv, RegisterResources);
}
