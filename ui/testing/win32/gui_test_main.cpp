#include "ui/win32/windows_api.h"

#include <gtest/gtest.h>

#include <clocale>

#include "ui/testing/gui_test_main.h"

namespace uitest {

int RunGuiTests(int argc, char** argv, const std::function<void()>& setUp) {
    // What the program's entry point sets up before its first window.
    std::setlocale(LC_NUMERIC, "C");
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX),
                                  ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES |
                                      ICC_UPDOWN_CLASS};
    ::InitCommonControlsEx(&controls);
    if (setUp) setUp();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

}  // namespace uitest
