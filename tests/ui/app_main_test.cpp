// The program's entry: the application object's InitInstance decides whether the program goes on.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFont>

#include "ui/app.h"

namespace {

struct RecordingApp : CWinApp {
    BOOL InitInstance() override {
        ran = true;
        name = AppName();
        fontFamily = QApplication::font().family().toStdString();
        return FALSE;
    }
    bool ran = false;
    std::string name;
    std::string fontFamily;
};

RecordingApp theApp;

TEST(AfxWinMainTest, RunsInitInstanceAndEndsWhenItReturnsFalse) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    char exe[] = "/opt/k7r2/bin/k7r2_console.exe";
    char* argv[] = {exe, nullptr};
    EXPECT_EQ(AfxGetApp(), &theApp);
    EXPECT_EQ(AfxWinMain(1, argv), 0);
    EXPECT_TRUE(theApp.ran);
    EXPECT_EQ(theApp.name, "k7r2_console");
    EXPECT_EQ(theApp.fontFamily, "WenQuanYi Zen Hei Mono");
}

}  // namespace
