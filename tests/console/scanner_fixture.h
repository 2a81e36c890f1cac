#pragma once
// The main window shown modeless for one test, started in a directory of its own (where its fault
// log goes), with its own port directory and message boxes recorded instead of shown.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <string>

#include "console/acquisition.h"
#include "console/scanner_dlg.h"
#include "res/resource.h"
#include "ui/testing/environment.h"
#include "ui/testing/scoped_hooks.h"
#include "ui/testing/ui_driver.h"
#include "ui/testing/wait.h"

// COM1: under Wine the only port joined to the simulated bus.
constexpr int kBusPort = 1;

class StartDirectory {
public:
    StartDirectory() {
        namespace fs = std::filesystem;
        static std::atomic<int> made{0};
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        dir_ = fs::temp_directory_path() /
               ("k7r2-window-" + std::to_string(stamp) + "-" + std::to_string(made++));
        fs::create_directories(dir_);
        previous_ = fs::current_path();
        path_ = dir_.string();
        ports_ = (dir_ / "ports").string();
        fs::create_directories(ports_);
        uitest::SetEnvironmentValue("K7R2_PORT_DIR", ports_);
        fs::current_path(dir_);
    }
    ~StartDirectory() {
        std::error_code ignored;
        std::filesystem::current_path(previous_, ignored);
        EXPECT_FALSE(ignored) << ignored.message();
        uitest::UnsetEnvironmentValue("K7R2_PORT_DIR");
        std::filesystem::remove_all(dir_, ignored);
    }
    const std::string& Path() const { return path_; }
    const std::string& Ports() const { return ports_; }

private:
    std::filesystem::path dir_, previous_;
    std::string path_, ports_;
};

class ScannerWindowTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dlg.Create()); }
    void TearDown() override {
        g_acquiring = 0;
        if (dlg.IsCreated()) dlg.DestroyWindow();
        uitest::FlushDeferredDeletes();
    }

    std::string Text(int id) { return uitest::Text(dlg, id); }
    bool Click(int id) { return uitest::Click(dlg, id); }
    bool Replace(int id, const std::string& text) { return uitest::ReplaceText(dlg, id, text); }
    std::string Cell(int listId, int row, int column = 1) {
        return uitest::CellText(dlg, listId, row, column);
    }

    StartDirectory start;
    uitest::MessageBoxRecorder boxes;
    CScannerDlg dlg;
};
