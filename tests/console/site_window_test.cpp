// The site window against a simulated bus of three modules, one of them silent: the tables
// fill, a channel's name is saved to the site file, a module is handed to the main window, the
// bus's port is held while the site runs, and the recording writes a CSV per module.
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "sim/simulated_bus.h"
#include "sitewin/site_dlg.h"
#include "tests/console/scanner_fixture.h"

namespace {

class SiteWindowTest : public ScannerWindowTest {
protected:
    void SetUp() override {
        ScannerWindowTest::SetUp();
        SimBusOptions options;
        options.port = kBusPort;
        options.paceBytes = false;
        options.probeCount = 8;
        options.addresses = {1, 2, 3};
        options.faults[2] = SilentFaults();
        bus_ = std::make_unique<SimulatedBus>(options);
        for (const int address : {1, 3}) {
            bus_->SetTemperatures(address, {0, 0, 0, 0}, std::vector<int>(8, address * 100));
        }
        bus_->FreezeTemperatures(true);
        ASSERT_TRUE(bus_->Start()) << bus_->LastError();
        sitePath_ = start.Path() + "/site.toml";
        std::ofstream(sitePath_, std::ios::binary) << R"(# 试验站点
name = "试验站"
[[bus]]
name = "A区"
port = 1
period_ms = 100
timeout_ms = 50
  [[bus.module]]
  address = 1
  name = "1号仓"
  [[bus.module]]
  address = 2
  name = "2号仓"   # 不应答
  [[bus.module]]
  address = 3
  name = "3号仓"
)";
        dlg.OnViewSite();
        site_ = dlg.m_siteDlg.get();
        ASSERT_TRUE(site_ != nullptr && site_->IsCreated());
        uitest::ScopedFileDialogHook answer([this](const FileDialogRequest&) { return sitePath_; });
        ASSERT_TRUE(uitest::Click(*site_, IDC_SITE_OPEN));
        ASSERT_EQ(uitest::RowCount(*site_, IDC_SITE_MODULES), 3);
    }
    void TearDown() override {
        if (site_ != nullptr && site_->IsCreated()) site_->DestroyWindow();
        ScannerWindowTest::TearDown();
    }

    std::string Module(int row, int column) { return uitest::CellText(*site_, IDC_SITE_MODULES, row, column); }
    std::string Channel(int row, int column) { return uitest::CellText(*site_, IDC_SITE_CHANNELS, row, column); }
    // A counter cell; empty counts as 0.
    int Count(int row, int column) { return std::atoi(Module(row, column).c_str()); }
    // Until every module was read at least `cycles` times.
    bool WaitForCycles(int cycles) {
        return uitest::WaitUntil(
            [&] {
                for (int row = 0; row < 3; ++row) {
                    if (Count(row, 9) + Count(row, 10) < cycles) return false;
                }
                return true;
            },
            std::chrono::seconds(20));
    }

    std::unique_ptr<SimulatedBus> bus_;
    std::string sitePath_;
    CSiteDlg* site_ = nullptr;
};

TEST_F(SiteWindowTest, TablesFillWhileTheBusRunsAndItsPortIsHeld) {
    EXPECT_EQ(uitest::HeaderText(*site_, IDC_SITE_MODULES, 8), "最近读数");
    EXPECT_EQ(Module(1, 3), "未读");
    ASSERT_TRUE(uitest::Click(*site_, IDC_SITE_START));
    EXPECT_EQ(uitest::Text(*site_, IDC_SITE_START), "停止");
    ASSERT_TRUE(WaitForCycles(2));
    EXPECT_EQ(Module(0, 2), "1号仓");
    EXPECT_EQ(Module(0, 3), "正常");
    EXPECT_EQ(Module(0, 4), "8");
    EXPECT_EQ(Module(0, 5), "10.0");  // every probe of module 1 reads 10.0
    EXPECT_EQ(Module(0, 7), "10.0");
    EXPECT_EQ(Module(1, 3), "读错误，要读7个字节");
    EXPECT_EQ(Module(1, 9), "0");
    EXPECT_EQ(Module(2, 6), "30.0");
    EXPECT_EQ(Channel(4, 2), "10.0");  // the first module's 温度1
    EXPECT_EQ(Channel(12, 2), "");     // 温度9: not in an 8-probe block

    // The main window cannot open the held port, as with any busy port (Wine lets a second open
    // of a serial port through; Windows refuses it).
    ASSERT_TRUE(Replace(IDC_PORT, std::to_string(kBusPort)));
    ASSERT_TRUE(Replace(IDC_ADDRESS, "3"));
    if (!uitest::UnderWine()) {
        boxes.Clear();
        ASSERT_TRUE(Click(IDC_SINGLE_ACQUISITION));
        EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"打开串口错误!"});
    }

    ASSERT_TRUE(uitest::Click(*site_, IDC_SITE_START));
    EXPECT_EQ(uitest::Text(*site_, IDC_SITE_START), "开始");
    boxes.Clear();
    ASSERT_TRUE(Click(IDC_SINGLE_ACQUISITION));
    EXPECT_TRUE(boxes.Texts().empty()) << boxes.Texts().front();
    EXPECT_EQ(Cell(IDC_LIST_LEFT, 0), "30.0");  // module 3's 温度1
}

TEST_F(SiteWindowTest, ChannelNamesAreEditedInPlaceAndSavedToTheSiteFile) {
    ASSERT_TRUE(uitest::SelectComboItem(*site_, IDC_SITE_MODULE, 2));
    EXPECT_EQ(Channel(5, 0), "温度2");  // unnamed: its label
#if UITEST_BACKEND_QT
    // Wine's accessibility of the native editor is generic.
    EXPECT_EQ(uitest::ListLabelEditorName(*site_, IDC_SITE_CHANNELS, 5), "名称");
#endif
    ASSERT_TRUE(uitest::EditLabelInPlace(*site_, IDC_SITE_CHANNELS, 5, " 3号仓-B缆-2米 ", false));
    EXPECT_EQ(Channel(5, 0), "3号仓-B缆-2米");
    EXPECT_EQ(Channel(5, 1), "温度2");
    // Escape leaves the name as it was; the label itself takes the name away again.
    ASSERT_TRUE(uitest::EditLabelInPlace(*site_, IDC_SITE_CHANNELS, 5, "x", true));
    EXPECT_EQ(Channel(5, 0), "3号仓-B缆-2米");
    ASSERT_TRUE(uitest::EditLabelInPlace(*site_, IDC_SITE_CHANNELS, 0, "进风口", false));
    ASSERT_TRUE(uitest::EditLabelInPlace(*site_, IDC_SITE_CHANNELS, 0, "PT100温度1", false));
    EXPECT_EQ(Channel(0, 0), "PT100温度1");

    SiteFile saved;
    std::string error;
    ASSERT_TRUE(saved.Load(sitePath_, error)) << error;
    const SiteModule& module = saved.GetSite().buses[0].modules[2];
    EXPECT_EQ(module.ChannelName(5), "3号仓-B缆-2米");
    EXPECT_EQ(module.channelNames.count(0), 0u);
    std::ifstream in(sitePath_);
    const std::string text((std::istreambuf_iterator<char>(in)), {});
    EXPECT_NE(text.find("不应答"), std::string::npos) << "comments survive:\n" << text;
    EXPECT_EQ(uitest::CellText(*site_, IDC_SITE_MODULES, 2, 2), "3号仓");
}

TEST_F(SiteWindowTest, AModuleBecomesTheMainWindowsCurrent) {
    ASSERT_TRUE(uitest::SelectComboItem(*site_, IDC_SITE_MODULE, 2));
    ASSERT_TRUE(uitest::Click(*site_, IDC_SITE_MAKE_CURRENT));
    EXPECT_EQ(Text(IDC_PORT), std::to_string(kBusPort));
    EXPECT_EQ(Text(IDC_ADDRESS), "3");
    EXPECT_EQ(Text(IDC_BAUD), "9600");
}

TEST_F(SiteWindowTest, RecordingWritesACsvPerModule) {
    ASSERT_TRUE(uitest::Click(*site_, IDC_SITE_RECORD));
    EXPECT_EQ(uitest::Text(*site_, IDC_SITE_RECORD), "停止记录");
    const std::string folder = site_->RecordingFolder();
    ASSERT_TRUE(uitest::Click(*site_, IDC_SITE_START));
    ASSERT_TRUE(WaitForCycles(2));
    ASSERT_TRUE(uitest::Click(*site_, IDC_SITE_START));
    ASSERT_TRUE(uitest::Click(*site_, IDC_SITE_RECORD));
    for (const char* name : {"1-1号仓.csv", "2-2号仓.csv", "3-3号仓.csv"}) {
        std::ifstream in(std::filesystem::u8path(folder) / std::filesystem::u8path(name), std::ios::binary);
        const std::string csv((std::istreambuf_iterator<char>(in)), {});
        ASSERT_EQ(csv.rfind("\xEF\xBB\xBF时间,状态,", 0), 0u) << name;
        EXPECT_GE(std::count(csv.begin(), csv.end(), '\n'), 3) << name;
    }
}

}  // namespace
