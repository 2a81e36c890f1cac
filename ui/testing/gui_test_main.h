#pragma once
// The body of a GUI test program's main(): the offscreen platform unless another is asked for,
// one QApplication, then the tests. `setUp` runs once the application exists.
#include <functional>

namespace uitest {

int RunGuiTests(int argc, char** argv, const std::function<void()>& setUp = {});

}  // namespace uitest
