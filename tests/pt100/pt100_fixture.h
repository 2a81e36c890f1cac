#pragma once
// The main window against a simulated module at bus address 1 on COM1; the PT100 dialog is opened
// from the window's button and driven inside its modal run.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "console/trace_list.h"
#include "pt100/pt100_dlg.h"
#include "sim/simulated_module.h"
#include "tests/console/scanner_fixture.h"

using Bytes = std::vector<std::uint8_t>;

class Pt100DialogTest : public ScannerWindowTest {
protected:
    void SetUp() override {
        SimOptions options;
        options.port = 1;
        options.address = 1;
        options.portDirectory = start.Ports();
        options.paceBytes = false;
        sim = std::make_unique<SimulatedModule>(options);
        ASSERT_TRUE(sim->Start()) << sim->LastError();
        ScannerWindowTest::SetUp();
        ASSERT_TRUE(Replace(IDC_ADDRESS, "1"));
    }
    void TearDown() override {
        ScannerWindowTest::TearDown();
        EXPECT_TRUE(
            uitest::WaitUntil([] { return g_acquisitionWorkers == 0; }, std::chrono::seconds(8)));
        sim->Stop();
    }

    // Opens the dialog with the main window's button and runs `script` while it is open; false
    // when it did not open.
    bool WithDialog(const std::function<void(CPt100Dlg&)>& script) {
        bool opened = false;
        uitest::ScopedModalDialogHook hook([&](CDialog& shown) {
            auto* pt100 = dynamic_cast<CPt100Dlg*>(&shown);
            if (pt100 == nullptr) return IDCANCEL;
            opened = true;
            script(*pt100);
            return IDCANCEL;
        });
        return Click(IDC_PT100_SETTINGS) && opened;
    }

    static std::string Field(CPt100Dlg& d, int id) { return uitest::Text(d, id); }
    static std::vector<std::string> Log(CPt100Dlg& d) {
        return uitest::ListBoxLines(d, IDC_PT100_LOG);
    }
    static bool Choose(CPt100Dlg& d, int channelIndex) {
        return uitest::SelectComboItem(d, IDC_PT100_CHANNEL, channelIndex);
    }
    // The last request the module received.
    Bytes LastRequest() const {
        const auto all = sim->Requests();
        return all.empty() ? Bytes{} : all.back();
    }
    int RequestCount() const { return static_cast<int>(sim->Requests().size()); }

    std::unique_ptr<SimulatedModule> sim;
};
