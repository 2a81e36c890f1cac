// The port mapping dialog against a fake device tree and port directory: what it lists, a
// number given to an adapter, a link removed, refusals, and its place in the tools menu.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QAction>
#include <QTemporaryDir>
#include <filesystem>
#include <fstream>

#include "console/port_map_dlg.h"
#include "tests/console/scanner_fixture.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kById = "usb-FTDI_FT232R_USB_UART_A10K1234-if00-port0";

// dev/ttyUSB0 behind a by-id name, driven by ftdi_sio; dev/ttyACM0 without one; COM5 dangling.
class FakeAdapters {
public:
    FakeAdapters() {
        root_ = fs::path(dir_.path().toStdString());
        roots.devRoot = (root_ / "dev").string();
        roots.sysRoot = (root_ / "sys").string();
        roots.portDirectory = (root_ / "ports").string();
        fs::create_directories(root_ / "dev/serial/by-id");
        fs::create_directories(root_ / "sys/class/tty/ttyUSB0/device");
        fs::create_directories(root_ / "sys/bus/usb-serial/drivers/ftdi_sio");
        fs::create_directories(root_ / "ports");
        for (const char* tty : {"ttyUSB0", "ttyACM0"}) std::ofstream(root_ / "dev" / tty).put('x');
        fs::create_symlink("../../ttyUSB0", root_ / "dev/serial/by-id" / kById);
        fs::create_symlink("../../../../bus/usb-serial/drivers/ftdi_sio",
                           root_ / "sys/class/tty/ttyUSB0/device/driver");
        fs::create_symlink(root_ / "dev/ttyUSB9", root_ / "ports/COM5");
    }
    std::string Dev(const std::string& name) const { return (root_ / "dev" / name).string(); }
    fs::path Link(int number) const { return root_ / "ports" / ("COM" + std::to_string(number)); }

    InventoryRoots roots;

private:
    QTemporaryDir dir_;
    fs::path root_;
};

class PortMapTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dlg.Create()); }
    void TearDown() override {
        dlg.DestroyWindow();
        uitest::FlushDeferredDeletes();
    }
    std::vector<std::string> Row(int list, int row) {
        return {uitest::CellText(dlg, list, row, 0), uitest::CellText(dlg, list, row, 1),
                uitest::CellText(dlg, list, row, 2)};
    }

    FakeAdapters fake;
    uitest::MessageBoxRecorder boxes;
    CPortMapDlg dlg{fake.roots};
};

TEST_F(PortMapTest, ListsAdaptersOnceEachAndTheLinks) {
    ASSERT_EQ(uitest::RowCount(dlg, IDC_PORTMAP_DEVICES), 2);
    EXPECT_EQ(Row(IDC_PORTMAP_DEVICES, 0),
              (std::vector<std::string>{kById, fake.Dev("ttyUSB0"), "ftdi_sio"}));
    EXPECT_EQ(Row(IDC_PORTMAP_DEVICES, 1), (std::vector<std::string>{"", fake.Dev("ttyACM0"), ""}))
        << "a device behind a by-id name is not listed twice";
    EXPECT_EQ(uitest::ComboItems(dlg, IDC_PORTMAP_DEVICE),
              (std::vector<std::string>{kById, fake.Dev("ttyACM0")}));
    ASSERT_EQ(uitest::RowCount(dlg, IDC_PORTMAP_LINKS), 1);
    EXPECT_EQ(Row(IDC_PORTMAP_LINKS, 0),
              (std::vector<std::string>{"COM5", fake.Dev("ttyUSB9"), "设备不存在"}));
}

TEST_F(PortMapTest, GivesAnAdapterANumberByItsByIdNameAndRemovesALink) {
    ASSERT_TRUE(uitest::SelectComboItem(dlg, IDC_PORTMAP_DEVICE, 0));
    ASSERT_TRUE(uitest::ReplaceText(dlg, IDC_PORTMAP_NUMBER, "3"));
    ASSERT_TRUE(uitest::Click(dlg, IDC_PORTMAP_LINK));
    EXPECT_EQ(boxes.Count(), 0u) << boxes.Last().text;
    ASSERT_TRUE(fs::is_symlink(fake.Link(3)));
    // The by-id name, so that the link survives a replug under another ttyUSB number.
    EXPECT_EQ(fs::read_symlink(fake.Link(3)).filename().string(), kById);
    ASSERT_EQ(uitest::RowCount(dlg, IDC_PORTMAP_LINKS), 2);
    EXPECT_EQ(uitest::CellText(dlg, IDC_PORTMAP_LINKS, 0, 0), "COM3");
    EXPECT_EQ(uitest::CellText(dlg, IDC_PORTMAP_LINKS, 0, 2), "正常");
    EXPECT_EQ(uitest::Text(dlg, IDC_PORTMAP_DEVICE), kById) << "the choice stays after the refresh";

    ASSERT_TRUE(uitest::ReplaceText(dlg, IDC_PORTMAP_NUMBER, "5"));
    ASSERT_TRUE(uitest::Click(dlg, IDC_PORTMAP_UNLINK));
    EXPECT_FALSE(fs::is_symlink(fs::symlink_status(fake.Link(5))));
    EXPECT_EQ(uitest::RowCount(dlg, IDC_PORTMAP_LINKS), 1);
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(PortMapTest, RefusalsSayWhyAndChangeNothing) {
    ASSERT_TRUE(uitest::ReplaceText(dlg, IDC_PORTMAP_NUMBER, "7"));
    ASSERT_TRUE(uitest::Click(dlg, IDC_PORTMAP_UNLINK));
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Last().text.rfind("删除映射失败: 没有这个端口链接", 0), 0u) << boxes.Last().text;

    ASSERT_TRUE(uitest::ReplaceText(dlg, IDC_PORTMAP_NUMBER, "256"));
    ASSERT_TRUE(uitest::Click(dlg, IDC_PORTMAP_LINK));
    EXPECT_EQ(boxes.Count(), 2u) << "the range is checked before anything is linked";
    const auto links = fs::directory_iterator(fake.Link(1).parent_path());
    EXPECT_EQ(std::distance(fs::begin(links), fs::end(links)), 1) << "nothing but COM5";

    // An adapter unplugged since the list was made.
    fs::remove(fake.Dev("ttyACM0"));
    ASSERT_TRUE(uitest::SelectComboItem(dlg, IDC_PORTMAP_DEVICE, 1));
    ASSERT_TRUE(uitest::ReplaceText(dlg, IDC_PORTMAP_NUMBER, "4"));
    ASSERT_TRUE(uitest::Click(dlg, IDC_PORTMAP_LINK));
    ASSERT_EQ(boxes.Count(), 3u);
    EXPECT_EQ(boxes.Last().text.rfind("映射失败: 设备不存在", 0), 0u) << boxes.Last().text;
    EXPECT_FALSE(fs::exists(fs::symlink_status(fake.Link(4))));
}

using PortMapMenuTest = ScannerWindowTest;

TEST_F(PortMapMenuTest, ToolsMenuOpensTheDialogOnTheEnvironmentsRoots) {
    FakeAdapters fake;
    setenv("K7R2_DEV_ROOT", fake.roots.devRoot.c_str(), 1);
    setenv("K7R2_SYS_ROOT", fake.roots.sysRoot.c_str(), 1);
    auto* item = uitest::Window(dlg)->findChild<QAction*>(QStringLiteral("ctl_%1").arg(ID_TOOLS_PORT_MAP));
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->text().toStdString(), "串口映射(&P)…");
    std::string caption;
    int devices = -1;
    uitest::ScopedModalDialogHook modal([&](CDialog& portMap) {
        caption = portMap.GetWindowText();
        devices = uitest::RowCount(portMap, IDC_PORTMAP_DEVICES);
        portMap.EndDialog(IDCANCEL);
        return IDCANCEL;
    });
    item->trigger();
    unsetenv("K7R2_DEV_ROOT");
    unsetenv("K7R2_SYS_ROOT");
    EXPECT_EQ(caption, "串口映射");
    EXPECT_EQ(devices, 2);
}

}  // namespace
