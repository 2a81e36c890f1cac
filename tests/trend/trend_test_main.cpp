// The trend window's tests run on the offscreen platform with one application object.
#include "ui/app.h"
#include "ui/testing/gui_test_main.h"

namespace {

CWinApp testApp;

}  // namespace

int main(int argc, char** argv) { return uitest::RunGuiTests(argc, argv, nullptr); }
