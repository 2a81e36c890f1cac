// The port inventory against a fake device tree and port directory.
#include "link/port_inventory.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

class PortInventoryTest : public testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "k7r2-inventory-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        root_ = pattern;
        roots_.devRoot = (root_ / "dev").string();
        roots_.sysRoot = (root_ / "sys").string();
        roots_.portDirectory = (root_ / "ports").string();
        fs::create_directories(root_ / "dev/serial/by-id");
        fs::create_directories(root_ / "sys/class/tty/ttyUSB0/device");
        fs::create_directories(root_ / "sys/bus/usb-serial/drivers/ftdi_sio");
        for (const char* tty : {"ttyUSB0", "ttyACM0", "ttyS0", "null"}) {
            std::ofstream(root_ / "dev" / tty).put('x');
        }
        fs::create_symlink("../../ttyUSB0", root_ / "dev/serial/by-id/usb-FTDI_FT232R-if00-port0");
        fs::create_symlink("../../../../bus/usb-serial/drivers/ftdi_sio",
                           root_ / "sys/class/tty/ttyUSB0/device/driver");
    }
    void TearDown() override { fs::remove_all(root_); }

    fs::path root_;
    InventoryRoots roots_;
};

TEST_F(PortInventoryTest, ListsDevicesWithTargetsAndDrivers) {
    const PortInventory inventory = TakePortInventory(roots_);
    ASSERT_EQ(inventory.byId.size(), 1u);
    EXPECT_EQ(inventory.byId[0].target, (root_ / "dev/ttyUSB0").string());
    EXPECT_EQ(inventory.byId[0].driver, "ftdi_sio");
    ASSERT_EQ(inventory.devices.size(), 2u);  // ttyS and others are not probed
    EXPECT_EQ(inventory.devices[0].path, (root_ / "dev/ttyACM0").string());
    EXPECT_EQ(inventory.devices[1].driver, "ftdi_sio");
    EXPECT_TRUE(inventory.links.empty());
}

TEST_F(PortInventoryTest, LinksByIdReplacesAndUnlinks) {
    std::string target;
    std::string error;
    const std::string usb = (root_ / "dev/ttyUSB0").string();
    ASSERT_TRUE(LinkPort(roots_, 3, usb, target, error)) << error;
    EXPECT_EQ(target, (root_ / "dev/serial/by-id/usb-FTDI_FT232R-if00-port0").string());
    // A device without a stable name is linked as given, replacing the old link.
    const std::string acm = (root_ / "dev/ttyACM0").string();
    ASSERT_TRUE(LinkPort(roots_, 3, acm, target, error)) << error;
    EXPECT_EQ(fs::read_symlink(root_ / "ports/COM3"), acm);
    fs::create_symlink(root_ / "dev/gone", root_ / "ports/COM12");
    fs::create_symlink(acm, root_ / "ports/COMX");  // not a port name

    const PortInventory inventory = TakePortInventory(roots_);
    ASSERT_EQ(inventory.links.size(), 2u);
    EXPECT_EQ(inventory.links[0].number, 3);
    EXPECT_FALSE(inventory.links[0].dangling);
    EXPECT_EQ(inventory.links[1].number, 12);
    EXPECT_TRUE(inventory.links[1].dangling);

    EXPECT_TRUE(UnlinkPort(roots_, 3, error)) << error;
    EXPECT_FALSE(fs::exists(fs::symlink_status(root_ / "ports/COM3")));
    EXPECT_FALSE(UnlinkPort(roots_, 3, error));
    EXPECT_FALSE(LinkPort(roots_, 4, (root_ / "dev/missing").string(), target, error));
    EXPECT_FALSE(LinkPort(roots_, 256, acm, target, error));
}

}  // namespace
