// The console's window tests run on the offscreen platform with one application object.
#include <cstdlib>
#include <cstring>

#include "res/dialog_templates.h"
#include "tests/console/recording_child.h"
#include "ui/app.h"
#include "ui/testing/gui_test_main.h"

namespace {

CWinApp testApp;

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], kRecordUntilKilled) == 0) {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        return RecordUntilKilled(argc, argv);
    }
    return uitest::RunGuiTests(argc, argv, RegisterResources);
}
