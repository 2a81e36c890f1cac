#include "sitewin/alarm_site.h"

#include "alarms/os_user.h"
#include "alarms/site_alarm_config.h"
#include "res/alarm_resource.h"
#include "res/resource.h"
#include "sitewin/alarm_bell.h"
#include "sitewin/alarm_history_dlg.h"
#include "sitewin/alarm_limits_dlg.h"
#include "sitewin/alarm_limits_file.h"
#include "sitewin/alarm_list_dlg.h"
#include "sitewin/site_dlg.h"

namespace {

constexpr int kModuleAlarmColumn = 11;
constexpr int kChannelAlarmColumn = 3;

}  // namespace

SiteAlarms::SiteAlarms(CSiteDlg& window)
    : window_(window), bellOn_(LoadAlarmBellSetting()), sound_(&SoundAlarmBell) {}

SiteAlarms::~SiteAlarms() { Close(); }

void SiteAlarms::Init() {
    hwnd_ = window_.GetSafeHwnd();
    if (menuBar_.Popups().empty()) {
        CMenu& menu = menuBar_.AppendPopup("报警(&A)");
        menu.AppendMenu(MF_STRING, ID_ALARM_LIST, "报警列表(&L)…");
        menu.AppendMenu(MF_STRING, ID_ALARM_HISTORY, "报警历史(&H)…");
        menu.AppendMenu(MF_STRING, ID_ALARM_LIMITS, "通道限值(&M)…");
        menu.AppendMenu(MF_SEPARATOR);
        menu.AppendMenu(MF_STRING, ID_ALARM_BELL, "报警声音开/关(&B)");
    }
    menuBar_.SetMenu(window_);
    window_.m_listModules.InsertColumn(kModuleAlarmColumn, "报警", LVCFMT_LEFT, 110);
    window_.m_listChannels.InsertColumn(kChannelAlarmColumn, "报警", LVCFMT_LEFT, 130);
    map_.SubclassDlgItem(IDC_SITE_ALARM_MAP, &window_);
    ShowSummary();
}

void SiteAlarms::Open() {
    engine_.reset();
    journal_.reset();
    board_.Reset({});
    mapModules_.clear();
    for (const auto& row : window_.modules_) {
        mapModules_.push_back({row.bus, row.module->address, row.module->name});
    }
    std::string error;
    const std::optional<SiteAlarmConfig> config = ReadSiteAlarmConfig(window_.path_, error);
    configError_ = config ? "" : error;
    if (config) {
        journal_ = std::make_unique<AlarmJournal>(AlarmJournalPathFor(window_.path_));
        engine_ = std::make_unique<AlarmEngine>(*config, journal_.get());
        engine_->AddObserver(this);
        board_.Reset(engine_->Active());
    }
    if (list_ && list_->IsCreated()) list_->Refresh();
    if (map_.IsAttached()) map_.Invalidate();
    ShowSummary();
    if (!configError_.empty() && window_.IsCreated()) {
        window_.MessageBox("报警设置有误, 本站点不报警: " + configError_);
    }
}

void SiteAlarms::Attach(BusRunner& runner) {
    if (engine_) runner.AddObserver(engine_.get());
}

void SiteAlarms::OnAlarmChange(const AlarmEvent& event) {
    std::lock_guard lock(mutex_);
    arrived_.push_back(event);
    // One message for any number of changes: the window takes them all when it gets to it.
    if (!posted_) {
        posted_ = true;
        PostMessage(hwnd_, WM_SITE_ALARMS);
    }
}

void SiteAlarms::TakeChanges() {
    std::vector<AlarmEvent> arrived;
    {
        std::lock_guard lock(mutex_);
        arrived.swap(arrived_);
        posted_ = false;
    }
    bool ring = false;
    for (const AlarmEvent& event : arrived) {
        if (event.state == AlarmState::ActiveUnacked && !board_.Find(event.id)) ring = true;
        board_.Apply(event);
    }
    if (arrived.empty()) return;
    for (std::size_t row = 0; row < window_.modules_.size(); ++row) ShowModuleRow(static_cast<int>(row));
    ShowChannels();
    ShowSummary();
    map_.Invalidate();
    if (list_ && list_->IsCreated()) list_->Refresh();
    if (ring && bellOn_ && sound_) sound_();
}

void SiteAlarms::ShowModuleRow(int row) {
    if (!window_.IsCreated()) return;
    const auto& state = window_.modules_[static_cast<std::size_t>(row)];
    window_.m_listModules.SetItemText(row, kModuleAlarmColumn,
                                      board_.ModuleMarker(state.bus, state.module->address));
}

void SiteAlarms::ShowChannels() {
    const int chosen = window_.ChosenModule();
    if (!window_.IsCreated() || chosen < 0) return;
    const auto& state = window_.modules_[static_cast<std::size_t>(chosen)];
    for (int channel = 0; channel < window_.m_listChannels.GetItemCount(); ++channel) {
        window_.m_listChannels.SetItemText(channel, kChannelAlarmColumn,
                                           board_.Marker(state.bus, state.module->address, channel));
    }
}

void SiteAlarms::ShowSummary() {
    if (!window_.IsCreated()) return;
    std::string text = configError_.empty() ? board_.Summary() : "报警设置有误";
    // A change the journal refused is still shown, but the operator must know it is not kept.
    if (engine_ && !engine_->JournalError().empty()) text += ", 报警日志写入失败!";
    if (CWnd* status = window_.GetDlgItem(IDC_SITE_ALARM_STATUS)) status->SetWindowText(text);
    menuBar_.SetStatusText(ID_ALARM_BELL, bellOn_ ? "报警声音: 开" : "报警声音: 关");
}

const std::string& SiteAlarms::JournalPath() const {
    static const std::string none;
    return journal_ ? journal_->Path() : none;
}

int SiteAlarms::Acknowledge(const std::vector<std::uint64_t>& ids) {
    if (!engine_) return 0;
    const std::string user = OsUserName();
    int count = 0;
    for (const std::uint64_t id : ids) count += engine_->Acknowledge(id, user) ? 1 : 0;
    return count;
}

int SiteAlarms::AcknowledgeAll() { return engine_ ? engine_->AcknowledgeAll(OsUserName()) : 0; }

void SiteAlarms::SetBell(bool on) {
    bellOn_ = on;
    SaveAlarmBellSetting(on);
    ShowSummary();
    if (list_ && list_->IsCreated()) list_->Refresh();
}

void SiteAlarms::OpenList() {
    if (!list_) list_ = std::make_unique<CAlarmListDlg>(*this, &window_);
    if (!list_->IsCreated()) {
        list_->Create();
    } else {
        list_->ShowWindow(true);
    }
}

void SiteAlarms::OpenHistory() {
    if (window_.path_.empty()) {
        window_.MessageBox("请先打开站点文件!");
        return;
    }
    CAlarmHistoryDlg history(AlarmJournalPathFor(window_.path_), &window_);
    history.DoModal();
}

void SiteAlarms::EditLimits() {
    const int module = window_.ChosenModule();
    const int channel = window_.m_listChannels.GetSelectionMark();
    if (module < 0) {
        window_.MessageBox("请先打开站点文件!");
        return;
    }
    if (channel < 0 || channel >= kReadingChannels) {
        window_.MessageBox("请先在通道列表中选择通道!");
        return;
    }
    if (window_.Running()) {
        window_.MessageBox("请先停止站点采集!");
        return;
    }
    const auto& state = window_.modules_[static_cast<std::size_t>(module)];
    const int bus = state.bus;
    const int address = state.module->address;
    std::string error;
    std::string effective;
    if (const auto config = ReadSiteAlarmConfig(window_.path_, error)) {
        if (const ModuleAlarmConfig* found = config->Find(bus, address)) {
            effective = EffectiveLimitsText(found->channels[static_cast<std::size_t>(channel)]);
        }
    }
    CAlarmLimitsDlg dialog(state.module->name + " " + state.module->ChannelName(channel),
                           ChannelLimitKeys(window_.file_, bus - 1, address, channel), effective,
                           &window_);
    if (dialog.DoModal() != IDOK) return;
    if (!SaveChannelLimits(window_.file_, window_.path_, bus - 1, address, channel, dialog.Keys(),
                           error)) {
        window_.MessageBox(error);
        return;
    }
    // The window's rows point into the site file, which changed: they are taken afresh, with
    // what was read so far.
    const auto kept = window_.modules_;
    window_.ShowSite();
    for (std::size_t row = 0; row < window_.modules_.size() && row < kept.size(); ++row) {
        auto& now = window_.modules_[row];
        now.last = kept[row].last;
        now.seen = kept[row].seen;
        now.good = kept[row].good;
        now.failed = kept[row].failed;
        window_.ShowModuleRow(static_cast<int>(row));
    }
    window_.m_comboModule.SetCurSel(module);
    window_.ShowChannels();
    window_.m_listChannels.SetSelectionMark(channel);
    Open();
    for (std::size_t row = 0; row < window_.modules_.size(); ++row) ShowModuleRow(static_cast<int>(row));
    ShowChannels();
}

void SiteAlarms::Close() {
    if (list_ && list_->IsCreated()) list_->DestroyWindow();
}
