// Modal runs through the test hook, modeless windows, WM_DESTROY once, resources and dialogs.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <thread>

#include "tests/ui/dialog_fixture.h"
#include "ui/clipboard.h"
#include "ui/resources.h"

#if UITEST_BACKEND_QT
#include <QApplication>
#include <QFile>
#include <QImage>
#include <QProxyStyle>
#include <QTemporaryDir>

#include "ui/qt/deferred_icon_style.h"
#endif

namespace {

TEST(ModalRunTest, HookRunsOnTheInitialisedDialogAndItsResultIsReturned) {
    CTestDlg dlg;
    bool sawFields = false;
    uitest::ScopedModalDialogHook hook([&](CDialog& modal) {
        sawFields = modal.IsCreated() && uitest::Text(modal, IDC_T_NAME) == "探头" &&
                    modal.IsWindowVisible();
        return 42;
    });
    EXPECT_EQ(dlg.DoModal(), 42);
    EXPECT_TRUE(sawFields);
    EXPECT_FALSE(dlg.IsCreated());
    EXPECT_EQ(dlg.destroys, 1);
    EXPECT_EQ(dlg.m_list.GetWidget(), nullptr) << "control members let go of the widgets";
}

TEST(ModalRunTest, EnterInsideTheHookEndsTheRunWithOkAndDestroysOnce) {
    CTestDlg dlg;
    uitest::ScopedModalDialogHook hook([](CDialog& modal) {
        uitest::ReplaceText(modal, IDC_T_PORT, "3");
        uitest::PressEnter(modal, IDC_T_PORT);
        EXPECT_FALSE(modal.IsWindowVisible());
        EXPECT_TRUE(modal.IsCreated()) << "destroyed only when the run returns";
        return modal.EndDialogResult().value_or(IDCANCEL);
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.m_port, 3);
    EXPECT_EQ(dlg.destroys, 1);
    // A second run builds a fresh window.
    uitest::ScopedModalDialogHook again([](CDialog& modal) {
        EXPECT_EQ(uitest::Text(modal, IDC_T_PORT), "3");
        return IDCANCEL;
    });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_EQ(dlg.destroys, 2);
}

TEST(ModalRunTest, RealModalLoopServesAWorkerAndEndsOnEscape) {
    CTestDlg dlg;
    std::atomic<LRESULT> sent = -1;
    std::thread worker;
    std::optional<std::chrono::steady_clock::time_point> escaped;
    // Ticks of the dialog's own loop: the worker starts once the window is up, and Escape is
    // queued once its message has been served, for the dialog's loop to take. Should the loop
    // miss it, the run is ended otherwise after a while, so that the test fails, not hangs.
    uitest::RepeatingTimer poll(std::chrono::milliseconds(5), [&] {
        if (!dlg.IsCreated() || !dlg.IsWindowVisible()) return;
        if (!worker.joinable()) {
            HWND handle = dlg.GetSafeHwnd();
            worker = std::thread([&, handle] { sent = SendMessage(handle, WM_T_PRIVATE, 5, 5); });
        } else if (sent.load() != -1 && !escaped) {
            if (uitest::PostKeyPress(dlg, IDC_T_PORT, uitest::NamedKey::Escape)) {
                escaped = std::chrono::steady_clock::now();
            }
        } else if (escaped && std::chrono::steady_clock::now() - *escaped > std::chrono::seconds(5)) {
            dlg.EndDialog(-7);
        }
    });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    worker.join();
    EXPECT_EQ(sent.load(), 10);
    EXPECT_EQ(dlg.destroys, 1);
}

TEST(ModelessTest, EveryWayToCloseSendsDestroyOnce) {
    CTestDlg dlg;
    ASSERT_TRUE(dlg.Create());
    EXPECT_FALSE(dlg.Create()) << "already created";
    dlg.EndDialog(IDOK);
    dlg.EndDialog(IDCANCEL);
    dlg.DestroyWindow();
    uitest::FlushDeferredDeletes();
    EXPECT_EQ(dlg.destroys, 1);
    EXPECT_TRUE(dlg.EndDialogResult().has_value());
#if UITEST_BACKEND_QT
    // Qt keeps the first result; the Win32 backend takes the late EndDialog's (left as is).
    EXPECT_EQ(dlg.EndDialogResult(), IDOK);
#endif
    EXPECT_EQ(dlg.UpdateData(TRUE), FALSE) << "no window, no exchange";
    EXPECT_EQ(dlg.GetSystemMenu(FALSE), nullptr);
}

TEST(ModelessTest, OwnedWindowHearsDestroyWhenItsOwnerGoesFirst) {
    CTestDlg owner;
    ASSERT_TRUE(owner.Create());
    CTestDlg owned;
    // Constructed without a parent: the application's main window becomes its owner.
    AfxGetApp()->m_pMainWnd = &owner;
    ASSERT_TRUE(owned.Create());
    AfxGetApp()->m_pMainWnd = nullptr;
    EXPECT_TRUE(uitest::IsOwnedBy(owned, owner));
    uitest::DestroyNativeWindow(owner);  // as when the toolkit ends an owner and what it owns
    EXPECT_FALSE(owned.IsCreated());
    EXPECT_EQ(owned.destroys, 1);
    EXPECT_EQ(owner.destroys, 1);
    EXPECT_EQ(owned.m_log.GetWidget(), nullptr);
}

TEST(ModelessTest, DestroyingTheObjectDestroysItsWindow) {
    HWND handle;
    {
        CTestDlg dlg;
        ASSERT_TRUE(dlg.Create());
        handle = dlg.GetSafeHwnd();
        ASSERT_TRUE(IsWindow(handle));
    }
    EXPECT_FALSE(IsWindow(handle));
}

TEST(FileDialogTest, HookAnswersOpenAndCancel) {
    FileDialogRequest seen;
    {
        uitest::ScopedFileDialogHook hook([&](const FileDialogRequest& request) {
            seen = request;
            return std::optional<std::string>("/tmp/k7r2/probes.txt");
        });
        CFileDialog dialog(TRUE, nullptr, nullptr, OFN_HIDEREADONLY, "Data Files (*.txt)|*.txt||");
        ASSERT_EQ(dialog.DoModal(), IDOK);
        EXPECT_EQ(dialog.GetPathName(), "/tmp/k7r2/probes.txt");
        EXPECT_EQ(dialog.GetFileName(), "probes.txt");
    }
    EXPECT_TRUE(seen.open);
    EXPECT_EQ(seen.filter, "Data Files (*.txt)|*.txt||");
    uitest::ScopedFileDialogHook cancel(
        [](const FileDialogRequest&) { return std::optional<std::string>(); });
    CFileDialog dialog(FALSE);
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.GetPathName(), "");
}

TEST(ResourcesTest, StringTableAndClipboardText) {
    SetStringTable({{101, "关于 QEV(&A)..."}});
    EXPECT_EQ(LoadResourceString(101), "关于 QEV(&A)...");
    EXPECT_EQ(LoadResourceString(102), "");

    ASSERT_TRUE(SetClipboardText("05:28-FF-4A-00-01-02-03-C9"));
    EXPECT_EQ(GetClipboardText(), "05:28-FF-4A-00-01-02-03-C9");
    ASSERT_TRUE(SetClipboardText("SN号1: 28 FF 6A 01 温度"));
    EXPECT_EQ(GetClipboardText(), "SN号1: 28 FF 6A 01 温度");
}

#if UITEST_BACKEND_QT
// Backend-bound: the Qt backend reads icons from image files and compiled-in pixels; the Win32
// build's icons are the executable's resources (tests/wine/windows_resources_test).
TEST(ResourcesTest, IconsFromImageFiles) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("icon.svg");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("<svg xmlns='http://www.w3.org/2000/svg' width='32' height='32'>"
               "<rect width='32' height='32' fill='red'/></svg>");
    file.close();
    SetIconResource(9128, path.toStdString());
    HICON icon = AfxGetApp()->LoadIcon(9128);
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(AfxGetApp()->LoadIcon(9128), icon) << "loaded once";
    EXPECT_EQ(AfxGetApp()->LoadIcon(9129), nullptr);
    SetIconResource(9130, "/nonexistent/icon.svg");
    EXPECT_EQ(AfxGetApp()->LoadIcon(9130), nullptr);

    CTestDlg dlg;
    ASSERT_TRUE(dlg.Create());
    dlg.SetIcon(icon, TRUE);
    EXPECT_FALSE(dlg.GetWidget()->windowIcon().isNull());
    dlg.DestroyWindow();
    uitest::FlushDeferredDeletes();
}

TEST(ResourcesTest, CompiledInIconKeepsEachSizeAndItsPixels) {
    // 2×2: opaque red, half-transparent green (premultiplied), transparent, opaque blue.
    static const std::uint32_t two[] = {0xffff0000, 0x80008000, 0x00000000, 0xff0000ff};
    static const std::uint32_t one[] = {0xff123456};
    SetIconImages(9131, {{2, two}, {1, one}, {0, nullptr}});
    HICON icon = AfxGetApp()->LoadIcon(9131);
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon->availableSizes().size(), 2) << "the empty rendering is left out";
    const QImage image = icon->pixmap(QSize(2, 2)).toImage().convertToFormat(
        QImage::Format_ARGB32_Premultiplied);
    ASSERT_EQ(image.size(), QSize(2, 2));
    EXPECT_EQ(image.pixel(0, 0), 0xffff0000u);
    EXPECT_EQ(image.pixel(1, 1), 0xff0000ffu);
    EXPECT_EQ(qAlpha(image.pixel(0, 1)), 0);
    EXPECT_EQ(icon->pixmap(QSize(1, 1)).toImage().pixel(0, 0), 0xff123456u);

    SetIconImages(9132, {});
    EXPECT_EQ(AfxGetApp()->LoadIcon(9132), nullptr) << "no rendering, no icon";
}

TEST(ResourcesTest, StandardIconsAreReadWhenFirstDrawnAndOutliveTheirWidget) {
    ASSERT_NE(dynamic_cast<DeferredIconStyle*>(QApplication::style()), nullptr);
    auto widget = std::make_unique<QWidget>();
    const QIcon warning =
        QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning, nullptr, widget.get());
    widget.reset();
    QProxyStyle plain;
    const QImage expected =
        plain.standardIcon(QStyle::SP_MessageBoxWarning).pixmap(32, 32).toImage();
    ASSERT_FALSE(warning.isNull());
    EXPECT_EQ(warning.pixmap(32, 32).toImage(), expected);
    const QIcon copy = warning;
    EXPECT_EQ(copy.pixmap(32, 32).toImage(), expected) << "a copy draws the same";
}
#endif

}  // namespace
