// The site window's alarms against a simulated bus: a probe above its limit and a silent module
// raise alarms that colour the overview and mark the rows, the bell rings once per new alarm,
// the alarm list acknowledges them into the journal with the user, a channel's limit is edited
// and saved to the site file, and the history exports the journal's records.
#include <filesystem>
#include <fstream>

#include "alarms/alarm_journal.h"
#include "alarms/os_user.h"
#include "res/alarm_resource.h"
#include "sim/simulated_bus.h"
#include "sitewin/alarm_history_dlg.h"
#include "sitewin/alarm_limits_dlg.h"
#include "sitewin/alarm_list_dlg.h"
#include "sitewin/alarm_site.h"
#include "sitewin/site_dlg.h"
#include "tests/console/scanner_fixture.h"
#if UITEST_BACKEND_QT
#include <QColor>
#include <QImage>
#include <QWidget>
#endif

namespace {

constexpr int kModuleAlarmColumn = 11;
constexpr int kChannelAlarmColumn = 3;
constexpr int kFirstProbe = 4;  // 温度1

std::string ReadFile(const std::string& path) {
    std::ifstream in(std::filesystem::u8path(path), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class SiteAlarmWindowTest : public ScannerWindowTest {
protected:
    void SetUp() override {
        ScannerWindowTest::SetUp();
        uitest::SetEnvironmentValue("K7R2_CONFIG_DIR", start.Path() + "/config");
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
        std::ofstream(sitePath_, std::ios::binary) << R"(# 报警试验站点
name = "报警站"
[[bus]]
port = 1
period_ms = 100
timeout_ms = 50
  [[bus.module]]
  address = 1
  name = "1号仓"
  [bus.module.channel_alarms."温度1"]
  high = 5.0   # 读 10.0, 超上限
  [[bus.module]]
  address = 2
  name = "2号仓"
  [bus.module.alarms]
  offline_after = 2
  [[bus.module]]
  address = 3
  name = "3号仓"
)";
        dlg.OnViewSite();
        site_ = dlg.m_siteDlg.get();
        ASSERT_TRUE(site_ != nullptr && site_->IsCreated());
        site_->Alarms().SetBellSound([this] { ++bells_; });
        uitest::ScopedFileDialogHook answer([this](const FileDialogRequest&) { return sitePath_; });
        ASSERT_TRUE(uitest::Click(*site_, IDC_SITE_OPEN));
    }
    void TearDown() override {
        if (site_ != nullptr && site_->IsCreated()) site_->DestroyWindow();
        ScannerWindowTest::TearDown();
        uitest::UnsetEnvironmentValue("K7R2_CONFIG_DIR");
    }

    std::string ModuleMark(int row) {
        return uitest::CellText(*site_, IDC_SITE_MODULES, row, kModuleAlarmColumn);
    }
    std::string ChannelMark(int channel) {
        return uitest::CellText(*site_, IDC_SITE_CHANNELS, channel, kChannelAlarmColumn);
    }
    // Chooses an item of the window's 报警 menu as a click on it does.
    void ChooseMenuItem(UINT id) { ASSERT_TRUE(uitest::InvokeMenuItem(*site_, id)) << id; }
    // Runs the buses until both alarms are up.
    void RaiseBothAlarms() {
        ASSERT_TRUE(uitest::Click(*site_, IDC_SITE_START));
        ASSERT_TRUE(uitest::WaitUntil(
            [&] { return site_->Alarms().Board().Count() >= 2; }, std::chrono::seconds(20)));
        ASSERT_TRUE(uitest::Click(*site_, IDC_SITE_START));  // stopped: nothing changes meanwhile
    }
    // The overview's colour (0xRRGGBB) at the middle of a module's row and a channel's cell,
    // read from Qt's rendering; the driver reads no native pixels yet, so Win32 skips it.
    void ExpectOverview(int row, int channel, unsigned rgb) {
#if UITEST_BACKEND_QT
        QWidget* widget = uitest::Control(*site_, IDC_SITE_ALARM_MAP);
        const QImage image = widget->grab().toImage();
        const int names = 96;
        const int cells = image.width() - names;
        const int rowHeight = std::min(16, image.height() / 3);
        const int x = names + channel * cells / 68 + cells / 68 / 2 + 1;
        const QColor shown(image.pixel(x, row * rowHeight + rowHeight / 2));
        EXPECT_EQ(shown.rgb() & 0xFFFFFFu, rgb) << row << "," << channel;
#else
        (void)row, (void)channel, (void)rgb;
#endif
    }

    std::unique_ptr<SimulatedBus> bus_;
    std::string sitePath_;
    CSiteDlg* site_ = nullptr;
    int bells_ = 0;
};

TEST_F(SiteAlarmWindowTest, AHotProbeAndASilentModuleAreShownHeardAndAcknowledged) {
    RaiseBothAlarms();
    EXPECT_EQ(ModuleMark(0), "!超上限 报警未确认");
    EXPECT_EQ(ModuleMark(1), "!模块离线 报警未确认");
    EXPECT_EQ(ModuleMark(2), "");
    EXPECT_EQ(ChannelMark(kFirstProbe), "!超上限 报警未确认");  // module 1 is the chosen one
    EXPECT_EQ(ChannelMark(kFirstProbe + 1), "");
    EXPECT_EQ(uitest::Text(*site_, IDC_SITE_ALARM_STATUS), "报警: 2 个 (2 个未确认)");
    EXPECT_EQ(bells_, 2);
    ExpectOverview(0, kFirstProbe, 0xE53935);
    ExpectOverview(0, kFirstProbe + 2, 0xFFFFFF);

    ChooseMenuItem(ID_ALARM_LIST);
    CAlarmListDlg* list = site_->Alarms().List();
    ASSERT_TRUE(list != nullptr && list->IsCreated());
    ASSERT_EQ(uitest::RowCount(*list, IDC_ALARM_LIST), 2);
    EXPECT_EQ(uitest::CellText(*list, IDC_ALARM_LIST, 1, 4), "1号仓");  // the older, below
    EXPECT_EQ(uitest::CellText(*list, IDC_ALARM_LIST, 1, 5), "温度1");
    EXPECT_EQ(uitest::CellText(*list, IDC_ALARM_LIST, 1, 8), "10.0");
    EXPECT_EQ(uitest::CellText(*list, IDC_ALARM_LIST, 1, 9), "5");

    // 确认 without a ticked row says so; with one it acknowledges that one only.
    boxes.Clear();
    ASSERT_TRUE(uitest::Click(*list, IDC_ALARM_ACK));
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"请先勾选要确认的报警!"});
    ASSERT_TRUE(uitest::ToggleListRowCheck(*list, IDC_ALARM_LIST, 1));
    ASSERT_TRUE(uitest::Click(*list, IDC_ALARM_ACK));
    ASSERT_TRUE(uitest::WaitUntil([&] { return ModuleMark(0) == "超上限 报警已确认"; },
                                  std::chrono::seconds(10)))
        << ModuleMark(0);
    EXPECT_EQ(uitest::CellText(*list, IDC_ALARM_LIST, 1, 10), "报警已确认");
    ExpectOverview(0, kFirstProbe, 0xFFB300);

    // The state filter: the unacknowledged one alone.
    ASSERT_TRUE(uitest::SelectComboItem(*list, IDC_ALARM_FILTER, 1));
    ASSERT_EQ(uitest::RowCount(*list, IDC_ALARM_LIST), 1);
    EXPECT_EQ(uitest::CellText(*list, IDC_ALARM_LIST, 0, 7), "模块离线");

    ASSERT_TRUE(uitest::Click(*list, IDC_ALARM_ACK_ALL));
    ASSERT_TRUE(uitest::WaitUntil([&] { return site_->Alarms().Board().UnackedCount() == 0; },
                                  std::chrono::seconds(10)));
    EXPECT_EQ(uitest::RowCount(*list, IDC_ALARM_LIST), 0);
    EXPECT_EQ(uitest::Text(*site_, IDC_SITE_ALARM_STATUS), "报警: 2 个");

    // The journal has both acknowledgements, each with the user.
    std::vector<AlarmEvent> records;
    std::string error;
    ASSERT_TRUE(AlarmJournal(AlarmJournalPathFor(sitePath_)).Load(records, error)) << error;
    int acknowledged = 0;
    for (const AlarmEvent& record : records) {
        if (record.state == AlarmState::ActiveAcked) {
            ++acknowledged;
            EXPECT_EQ(record.user, OsUserName());
        }
    }
    EXPECT_EQ(acknowledged, 2);
}

TEST_F(SiteAlarmWindowTest, ActiveAlarmsAreBackAfterTheSiteIsOpenedAgain) {
    RaiseBothAlarms();
    uitest::ScopedFileDialogHook answer([this](const FileDialogRequest&) { return sitePath_; });
    ASSERT_TRUE(uitest::Click(*site_, IDC_SITE_OPEN));
    EXPECT_EQ(site_->Alarms().Board().Count(), 2);
    EXPECT_EQ(ModuleMark(0), "!超上限 报警未确认");

    // The window closed and opened again from the main window keeps its alarm parts.
    site_->DestroyWindow();
    uitest::FlushDeferredDeletes();
    dlg.OnViewSite();
    ASSERT_TRUE(site_->IsCreated());
    EXPECT_EQ(ModuleMark(0), "!超上限 报警未确认");
    EXPECT_EQ(uitest::HeaderText(*site_, IDC_SITE_MODULES, kModuleAlarmColumn), "报警");
    EXPECT_EQ(uitest::ColumnCount(*site_, IDC_SITE_MODULES), kModuleAlarmColumn + 1);
    ExpectOverview(0, kFirstProbe, 0xE53935);
}

TEST_F(SiteAlarmWindowTest, TheBellIsSwitchedOffAndStaysOff) {
    ChooseMenuItem(ID_ALARM_BELL);
    EXPECT_FALSE(site_->Alarms().BellOn());
    RaiseBothAlarms();
    EXPECT_EQ(bells_, 0);
    CSiteDlg again("", nullptr);
    EXPECT_FALSE(again.Alarms().BellOn()) << "remembered for the next window";
    ChooseMenuItem(ID_ALARM_BELL);
    EXPECT_TRUE(CSiteDlg("", nullptr).Alarms().BellOn());
}

TEST_F(SiteAlarmWindowTest, AChannelsLimitIsSavedToTheSiteFileAndWatched) {
    ASSERT_TRUE(uitest::SelectComboItem(*site_, IDC_SITE_MODULE, 2));
    boxes.Clear();
    ChooseMenuItem(ID_ALARM_LIMITS);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"请先在通道列表中选择通道!"})
        << "no channel chosen yet";
    ASSERT_TRUE(uitest::ChooseListRow(*site_, IDC_SITE_CHANNELS, kFirstProbe + 1));
    int shown = 0;
    {
        uitest::ScopedModalDialogHook hook([&](CDialog& modal) {
            auto* limits = dynamic_cast<CAlarmLimitsDlg*>(&modal);
            if (limits == nullptr) return IDCANCEL;
            ++shown;
            EXPECT_EQ(uitest::Text(modal, IDC_LIMITS_CHANNEL), "通道: 3号仓 温度2");
            EXPECT_EQ(uitest::Text(modal, IDC_LIMITS_EFFECTIVE),
                      "现行: 上限 无, 下限 无, 回差 0, 延时 1 次, 温升 无");
            // A low limit above the high one is refused, and the dialog stays.
            EXPECT_TRUE(uitest::ReplaceText(modal, IDC_LIMITS_HIGH, "20"));
            EXPECT_TRUE(uitest::ReplaceText(modal, IDC_LIMITS_LOW, "25"));
            boxes.Clear();
            EXPECT_TRUE(uitest::Click(modal, 1));
            EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"下限须小于上限!"});
            EXPECT_FALSE(modal.EndDialogResult().has_value());
            EXPECT_TRUE(uitest::ReplaceText(modal, IDC_LIMITS_LOW, ""));
            EXPECT_TRUE(uitest::ReplaceText(modal, IDC_LIMITS_DELAY, "2"));
            EXPECT_TRUE(uitest::Click(modal, 1));
            return modal.EndDialogResult().value_or(IDCANCEL);
        });
        ChooseMenuItem(ID_ALARM_LIMITS);
    }
    ASSERT_EQ(shown, 1);
    const std::string text = ReadFile(sitePath_);
    EXPECT_NE(text.find("读 10.0"), std::string::npos) << "comments stay:\n" << text;
    std::string error;
    const auto config = ReadSiteAlarmConfig(sitePath_, error);
    ASSERT_TRUE(config) << error;
    const ModuleAlarmConfig* module = config->Find(1, 3);
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(module->channels[kFirstProbe + 1].high, 20.0);
    EXPECT_EQ(module->channels[kFirstProbe + 1].delay, 2);
    EXPECT_FALSE(module->channels[kFirstProbe + 1].low.has_value());
    EXPECT_EQ(config->Find(1, 1)->channels[kFirstProbe].high, 5.0);

    // The new limit is watched at the next start: module 3 reads 30.0.
    ASSERT_TRUE(uitest::Click(*site_, IDC_SITE_START));
    ASSERT_TRUE(uitest::WaitUntil([&] { return ChannelMark(kFirstProbe + 1) == "!超上限 报警未确认"; },
                                  std::chrono::seconds(20)))
        << ChannelMark(kFirstProbe + 1);
    EXPECT_EQ(ChannelMark(kFirstProbe), "") << "温度1 of module 3 has no limit";
}

TEST_F(SiteAlarmWindowTest, TheHistoryExportsTheJournalsRecordsOfTheRange) {
    RaiseBothAlarms();
    ASSERT_EQ(site_->Alarms().AcknowledgeAll(), 2);
    const std::string exported = start.Path() + "/导出.csv";
    int rows = -1;
    {
        uitest::ScopedFileDialogHook answer([&](const FileDialogRequest&) { return exported; });
        uitest::ScopedModalDialogHook hook([&](CDialog& modal) {
            if (dynamic_cast<CAlarmHistoryDlg*>(&modal) == nullptr) return IDCANCEL;
            rows = uitest::RowCount(modal, IDC_HISTORY_LIST);
            EXPECT_EQ(uitest::Text(modal, IDC_HISTORY_COUNT), "共 4 条记录");
            EXPECT_TRUE(uitest::Click(modal, IDC_HISTORY_EXPORT));
            // A range before any record shows none.
            EXPECT_TRUE(uitest::ReplaceText(modal, IDC_HISTORY_FROM, "2020-01-01"));
            EXPECT_TRUE(uitest::ReplaceText(modal, IDC_HISTORY_TO, "2020-01-31"));
            EXPECT_TRUE(uitest::Click(modal, IDC_HISTORY_QUERY));
            EXPECT_EQ(uitest::RowCount(modal, IDC_HISTORY_LIST), 0);
            return IDCANCEL;
        });
        ChooseMenuItem(ID_ALARM_HISTORY);
    }
    EXPECT_EQ(rows, 4);  // two raised, two acknowledged
    const std::string csv = ReadFile(exported);
    EXPECT_EQ(csv, ReadFile(AlarmJournalPathFor(sitePath_)));
}

TEST_F(SiteAlarmWindowTest, WrongLimitsAreSaidAndTheSiteOpensWithoutAlarms) {
    std::string text = ReadFile(sitePath_);
    text.replace(text.find("high = 5.0"), 10, "high = \"热\"");
    std::ofstream(sitePath_, std::ios::binary) << text;
    boxes.Clear();
    uitest::ScopedFileDialogHook answer([this](const FileDialogRequest&) { return sitePath_; });
    ASSERT_TRUE(uitest::Click(*site_, IDC_SITE_OPEN));
    ASSERT_EQ(boxes.Texts().size(), 1u);
    EXPECT_EQ(boxes.Texts()[0].rfind("报警设置有误, 本站点不报警: ", 0), 0u) << boxes.Texts()[0];
    EXPECT_EQ(uitest::Text(*site_, IDC_SITE_ALARM_STATUS), "报警设置有误");
    EXPECT_EQ(site_->Alarms().Engine(), nullptr);
    EXPECT_EQ(uitest::RowCount(*site_, IDC_SITE_MODULES), 3) << "the site itself is open";
}

}  // namespace
