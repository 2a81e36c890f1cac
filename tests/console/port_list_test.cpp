// The port dialog on Windows, from the tools menu: the COM ports present, each once, taken from
// the system's device list and its DOS device names. Windows numbers the ports itself, so the
// dialog has no links to show.
#include <algorithm>
#include <cstdlib>

#include "tests/console/scanner_fixture.h"

namespace {

std::string ComName(const char* variable, int fallback) {
    const char* number = std::getenv(variable);
    return "COM" + std::string(number != nullptr && *number != '\0' ? number
                                                                     : std::to_string(fallback));
}

using PortListTest = ScannerWindowTest;

TEST_F(PortListTest, ToolsMenuListsTheComPortsPresentEachOnce) {
    std::string caption;
    std::vector<std::string> ports, refreshed;
    auto listed = [](CDialog& portMap) {
        std::vector<std::string> names;
        for (int row = 0; row < uitest::RowCount(portMap, IDC_PORTMAP_DEVICES); ++row) {
            names.push_back(uitest::CellText(portMap, IDC_PORTMAP_DEVICES, row, 1));
        }
        return names;
    };
    int result = -1;
    uitest::ScopedModalDialogHook modal([&](CDialog& portMap) {
        caption = portMap.GetWindowText();
        ports = listed(portMap);
        uitest::Click(portMap, IDC_PORTMAP_REFRESH);
        refreshed = listed(portMap);
        uitest::Click(portMap, IDCANCEL);  // 关闭
        result = portMap.EndDialogResult().value_or(-1);
        return result;
    });
    ASSERT_TRUE(uitest::InvokeMenuItem(dlg, ID_TOOLS_PORT_MAP));
    EXPECT_EQ(caption, "串口列表");
    // The console's line and the simulated module's, which the test run maps.
    for (const std::string& port : {ComName("K7R2_TEST_COM", 1), ComName("K7R2_SIM_COM", 20)}) {
        EXPECT_EQ(std::count(ports.begin(), ports.end(), port), 1) << port;
    }
    EXPECT_TRUE(std::is_sorted(ports.begin(), ports.end(), [](const std::string& a, const std::string& b) {
        return std::atoi(a.c_str() + 3) < std::atoi(b.c_str() + 3);
    })) << "by number";
    EXPECT_EQ(refreshed, ports) << "a refresh lists them anew, not twice";
    EXPECT_EQ(result, IDCANCEL);
}

}  // namespace
