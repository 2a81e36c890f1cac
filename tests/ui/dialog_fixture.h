#pragma once
// A test dialog shown modeless for one test, with message boxes recorded instead of shown.
#include <gtest/gtest.h>

#include <memory>

#include "tests/ui/test_dialog.h"
#include "ui/testing/scoped_hooks.h"
#include "ui/testing/ui_driver.h"
#include "ui/testing/wait.h"

class DialogTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dlg.Create()); }
    void TearDown() override {
        dlg.DestroyWindow();
        uitest::FlushDeferredDeletes();
    }

    uitest::MessageBoxRecorder boxes;
    CTestDlg dlg;
};
