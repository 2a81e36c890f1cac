// The console's window tests run on the offscreen platform with one application object.
#include <gtest/gtest.h>

#include <QApplication>

#include "res/dialog_templates.h"
#include "ui/app.h"

namespace {

CWinApp testApp;

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    RegisterResources();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
