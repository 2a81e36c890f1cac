// The boxes and dialogs that Qt draws itself, shown for real and answered by the shown-dialog
// hook: which windows they leave usable.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QMessageBox>
#include <QWindow>

#include "tests/console/scanner_fixture.h"

namespace {

using namespace std::chrono_literals;

// The main window runs as it does in the program (DoModal, no owner); its worker cannot open its
// port. While the worker's box is open the window takes the operator's click on 1010 as the stop.
TEST(WorkerBoxTest, LeavesTheMainWindowUsableAndTheNextClickStops) {
    StartDirectory start;
    CScannerDlg dlg;
    std::string boxText;
    bool blocking = true, stoppedBeneathTheBox = false;
    uitest::ScopedShownDialogHook shown([&](QDialog& box) {
        if (auto* message = qobject_cast<QMessageBox*>(&box)) boxText = message->text().toStdString();
        blocking = box.windowModality() != Qt::NonModal || QGuiApplication::modalWindow() != nullptr;
        uitest::Click(dlg, IDC_CONTINUOUS_ACQUISITION);
        stoppedBeneathTheBox = uitest::Text(dlg, IDC_CONTINUOUS_ACQUISITION) == "连续采集";
        return int(QDialog::Accepted);
    });
    uitest::ScopedModalDialogHook modal([&](CDialog&) {
        EXPECT_EQ(uitest::Window(dlg)->windowModality(), Qt::NonModal) << "a window without owner";
        EXPECT_TRUE(uitest::ReplaceText(dlg, IDC_PORT, "9"));
        EXPECT_TRUE(uitest::Click(dlg, IDC_CONTINUOUS_ACQUISITION));
        EXPECT_TRUE(uitest::WaitUntil([&] { return !boxText.empty(); }, 5s));
        return IDCANCEL;
    });
    dlg.DoModal();
    EXPECT_EQ(boxText, "打开串口失败!");
    EXPECT_FALSE(blocking) << "no window is modal while the worker's box is open";
    EXPECT_TRUE(stoppedBeneathTheBox);
    EXPECT_TRUE(uitest::WaitUntil([] { return g_acquisitionWorkers == 0; }, 5s));
    g_acquiring = 0;
}

TEST(OwnedBoxTest, StaysModalToItsWindow) {
    StartDirectory start;
    CScannerDlg dlg;
    ASSERT_TRUE(dlg.Create());
    Qt::WindowModality modality = Qt::NonModal;
    bool windowBlocked = false;
    {
        uitest::ScopedShownDialogHook shown([&](QDialog& box) {
            modality = box.windowModality();
            windowBlocked = QGuiApplication::modalWindow() == box.windowHandle();
            return int(QDialog::Accepted);
        });
        // 65 is out of the SN index's range: the validation message of the window.
        ASSERT_TRUE(uitest::ReplaceText(dlg, IDC_SN_INDEX, "65"));
        dlg.UpdateData(TRUE);
    }
    EXPECT_EQ(modality, Qt::WindowModal);
    EXPECT_TRUE(windowBlocked);
    dlg.DestroyWindow();
    uitest::FlushDeferredDeletes();
}

}  // namespace
