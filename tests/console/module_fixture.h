#pragma once
// The main window against a simulated module published as COM1 in the test's port directory.
#include <memory>
#include <string>

#include "link/serial_port.h"
#include "sim/simulated_module.h"
#include "tests/console/scanner_fixture.h"

class ModuleWindowTest : public ScannerWindowTest {
protected:
    void SetUp() override {
        SimOptions options;
        options.port = 1;
        options.portDirectory = start.Ports();
        options.paceBytes = false;
        options.probeCount = probeCount;
        sim = std::make_unique<SimulatedModule>(options);
        ASSERT_TRUE(sim->Start()) << sim->LastError();
        ScannerWindowTest::SetUp();
    }
    void TearDown() override {
        ScannerWindowTest::TearDown();
        // A worker left running must end before the module goes.
        EXPECT_TRUE(
            uitest::WaitUntil([] { return g_acquisitionWorkers == 0; }, std::chrono::seconds(8)));
        sim->Stop();
    }

    // True once nobody holds COM1 any more (the worker has closed it).
    bool WaitForPortFree(std::chrono::milliseconds deadline = std::chrono::seconds(8)) {
        return uitest::WaitUntil(
            [] {
                PollSettings settings;
                settings.port = 1;
                settings.baud = 9600;
                return static_cast<bool>(OpenCommPort(settings, TimeoutProfile::Interactive));
            },
            deadline);
    }

    int probeCount = 20;
    std::unique_ptr<SimulatedModule> sim;
};

// How often `part` occurs in `text` (in the fault log, say).
inline int Occurrences(const std::string& text, const std::string& part) {
    int n = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}
