// The child of the kill test: the real window offscreen against a simulated module, recording
// until it is killed. Shared by every program that uses the console tests' main().
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
#include <fstream>
#include <iterator>

#include "console/acquisition.h"
#include "console/scanner_dlg.h"
#include "record/readings_csv.h"
#include "res/dialog_templates.h"
#include "res/resource.h"
#include "sim/simulated_module.h"
#include "tests/console/recording_child.h"
#include "ui/testing/scoped_hooks.h"
#include "ui/testing/ui_driver.h"
#include "ui/testing/wait.h"

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
