#include "ui/testing/gui_test_main.h"

#include <gtest/gtest.h>

#include <QApplication>

#include "ui/qt/console_style.h"

namespace uitest {

int RunGuiTests(int argc, char** argv, const std::function<void()>& setUp) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setStyle(new ConsoleStyle);  // the console's own style
    if (setUp) setUp();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

}  // namespace uitest
