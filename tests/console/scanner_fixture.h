#pragma once
// The main window shown modeless for one test, started in a directory of its own (where its fault
// log goes), with its own port directory and message boxes recorded instead of shown.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QTemporaryDir>
#include <cstdlib>
#include <string>

#include "console/acquisition.h"
#include "console/scanner_dlg.h"
#include "res/resource.h"
#include "ui/testing/scoped_hooks.h"
#include "ui/testing/ui_driver.h"
#include "ui/testing/wait.h"

class StartDirectory {
public:
    StartDirectory() {
        char* previous = getcwd(nullptr, 0);
        previous_ = previous ? previous : "/";
        std::free(previous);
        path_ = dir_.path().toStdString();
        ports_ = path_ + "/ports";
        QDir().mkpath(QString::fromStdString(ports_));
        setenv("K7R2_PORT_DIR", ports_.c_str(), 1);
        EXPECT_EQ(chdir(path_.c_str()), 0);
    }
    ~StartDirectory() {
        EXPECT_EQ(chdir(previous_.c_str()), 0);
        unsetenv("K7R2_PORT_DIR");
    }
    const std::string& Path() const { return path_; }
    const std::string& Ports() const { return ports_; }

private:
    QTemporaryDir dir_;
    std::string previous_, path_, ports_;
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
