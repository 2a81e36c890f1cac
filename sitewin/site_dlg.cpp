#include "sitewin/site_dlg.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "record/local_time.h"
#include "record/readings_csv.h"
#include "res/alarm_resource.h"
#include "res/alarm_templates.h"
#include "res/dialog_templates.h"
#include "res/resource.h"
#include "sitewin/alarm_site.h"

namespace {

enum ModuleColumn { kBus, kAddress, kName, kState, kProbes, kLow, kHigh, kMean, kLast, kGood, kFailed };

std::string Decimal(long long value) {
    char text[24];
    std::snprintf(text, sizeof text, "%lld", value);
    return text;
}

std::string Tenths(double value) {
    char text[24];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

// The probes' lowest, highest and mean value as the lists show them; empty without probes.
void ProbeFigures(const Reading& reading, std::string& low, std::string& high, std::string& mean) {
    low.clear();
    high.clear();
    mean.clear();
    double lowest = 0, highest = 0, sum = 0;
    int count = 0;
    for (int channel = kReadingPt100s; channel < static_cast<int>(reading.words.size()); ++channel) {
        const std::string text = ChannelText(reading, channel);
        const double value = std::strtod(text.c_str(), nullptr);
        lowest = count == 0 ? value : std::min(lowest, value);
        highest = count == 0 ? value : std::max(highest, value);
        sum += value;
        ++count;
    }
    if (count == 0) return;
    low = Tenths(lowest);
    high = Tenths(highest);
    mean = Tenths(sum / count);
}

std::string PathText(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return {text.begin(), text.end()};
}

}  // namespace

CSiteDlg::CSiteDlg(std::string startDir, MakeCurrent makeCurrent, CWnd* parent)
    : CDialog(SiteTemplateWithAlarms(SiteDialogTemplate()), parent),
      startDir_(std::move(startDir)),
      makeCurrent_(std::move(makeCurrent)),
      alarms_(std::make_unique<SiteAlarms>(*this)) {}

CSiteDlg::~CSiteDlg() {
    Stop();
    StopRecording();
}

void CSiteDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_SITE_FILE, m_editFile);
    DDX_Control(pDX, IDC_SITE_START, m_btnStart);
    DDX_Control(pDX, IDC_SITE_RECORD, m_btnRecord);
    DDX_Control(pDX, IDC_SITE_MODULES, m_listModules);
    DDX_Control(pDX, IDC_SITE_MODULE, m_comboModule);
    DDX_Control(pDX, IDC_SITE_CHANNELS, m_listChannels);
    DDX_Text(pDX, IDC_SITE_STATUS, m_statusText);
}

const MessageMap& CSiteDlg::GetMessageMap() const {
    using D = CSiteDlg;
    static const MessageMap map = {
        ON_BN_CLICKED(IDC_SITE_OPEN, &D::OnOpen),
        ON_BN_CLICKED(IDC_SITE_NEW, &D::OnNew),
        ON_BN_CLICKED(IDC_SITE_START, &D::OnStart),
        ON_BN_CLICKED(IDC_SITE_RECORD, &D::OnRecord),
        ON_BN_CLICKED(IDC_SITE_MAKE_CURRENT, &D::OnMakeCurrent),
        ON_CBN_SELCHANGE(IDC_SITE_MODULE, &D::OnModuleChange),
        ON_NOTIFY(LVN_ENDLABELEDIT, IDC_SITE_CHANNELS, &D::OnChannelNameEdited),
        ON_MESSAGE(WM_SITE_READINGS, &D::OnSiteReadings),
        ON_COMMAND(ID_ALARM_LIST, &D::OnAlarmList),
        ON_COMMAND(ID_ALARM_HISTORY, &D::OnAlarmHistory),
        ON_COMMAND(ID_ALARM_LIMITS, &D::OnAlarmLimits),
        ON_COMMAND(ID_ALARM_BELL, &D::OnAlarmBell),
        ON_MESSAGE(WM_SITE_ALARMS, &D::OnSiteAlarms),
        ON_WM_DESTROY(&D::OnDestroy),
    };
    return map;
}

BOOL CSiteDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    window_ = GetSafeHwnd();
    const char* headings[] = {"总线", "地址", "名称", "状态", "探头数", "最低",
                              "最高", "平均", "最近读数", "成功", "失败"};
    const int widths[] = {36, 36, 90, 100, 46, 44, 44, 44, 64, 40, 40};
    for (int column = 0; column < 11; ++column) {
        m_listModules.InsertColumn(column, headings[column], LVCFMT_LEFT, widths[column]);
    }
    m_listChannels.InsertColumn(0, "名称", LVCFMT_LEFT, 240);
    m_listChannels.InsertColumn(1, "通道", LVCFMT_LEFT, 90);
    m_listChannels.InsertColumn(2, "温度", LVCFMT_LEFT, 70);
    for (CListCtrl* list : {&m_listModules, &m_listChannels}) {
        list->SetExtendedStyle(list->GetExtendedStyle() | LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    }
    alarms_->Init();
    ShowSite();
    return TRUE;
}

bool CSiteDlg::OpenSite(const std::string& path) {
    if (Running()) {
        MessageBox("请先停止站点采集!");
        return false;
    }
    SiteFile file;
    std::string error;
    if (!file.Load(path, error)) {
        MessageBox("站点文件有误: " + error);
        return false;
    }
    StopRecording();
    file_ = std::move(file);
    path_ = path;
    ShowSite();
    alarms_->Open();
    return true;
}

void CSiteDlg::OnOpen() {
    CFileDialog dialog(TRUE, "toml", nullptr, OFN_FILEMUSTEXIST, "站点文件 (*.toml)|*.toml|所有文件 (*.*)|*.*||",
                       this);
    if (dialog.DoModal() != IDOK) return;
    OpenSite(dialog.GetPathName());
}

// A new site of one bus, from the main window's port and baud rate, with no module yet: the
// file is there to be filled (or to be written by "k7r2 site scan").
void CSiteDlg::OnNew() {
    if (Running()) {
        MessageBox("请先停止站点采集!");
        return;
    }
    CFileDialog dialog(FALSE, "toml", "site.toml", OFN_OVERWRITEPROMPT,
                       "站点文件 (*.toml)|*.toml||", this);
    if (dialog.DoModal() != IDOK) return;
    Site site;
    site.name = PathText(std::filesystem::u8path(dialog.GetPathName()).stem());
    SiteBus bus;
    bus.port = 1;
    bus.modules.push_back({0, "模块0", {}});
    site.buses.push_back(bus);
    std::ofstream out(std::filesystem::u8path(dialog.GetPathName()), std::ios::binary);
    out << NewSiteFileText(site);
    out.close();
    if (!out) {
        MessageBox("无法写入站点文件 " + dialog.GetPathName());
        return;
    }
    OpenSite(dialog.GetPathName());
}

void CSiteDlg::ShowSite() {
    modules_.clear();
    const Site& site = file_.GetSite();
    for (std::size_t bus = 0; bus < site.buses.size(); ++bus) {
        for (const SiteModule& module : site.buses[bus].modules) {
            ModuleState state;
            state.bus = static_cast<int>(bus) + 1;
            state.module = &module;
            modules_.push_back(state);
        }
    }
    if (!IsCreated()) return;
    m_editFile.SetWindowText(path_);
    m_listModules.DeleteAllItems();
    m_comboModule.ResetContent();
    for (std::size_t row = 0; row < modules_.size(); ++row) {
        const ModuleState& state = modules_[row];
        m_listModules.InsertItem(static_cast<int>(row), Decimal(state.bus));
        ShowModuleRow(static_cast<int>(row));
        m_comboModule.AddString("总线" + Decimal(state.bus) + " 地址" + Decimal(state.module->address) +
                                " " + state.module->name);
    }
    if (!modules_.empty()) m_comboModule.SetCurSel(0);
    ShowChannels();
    ShowStatus();
}

void CSiteDlg::ShowModuleRow(int row) {
    const ModuleState& state = modules_[static_cast<std::size_t>(row)];
    std::string low, high, mean;
    if (state.seen) ProbeFigures(state.last, low, high, mean);
    const std::string cells[] = {
        Decimal(state.bus),
        Decimal(state.module->address),
        state.module->name,
        !state.seen ? "未读" : state.last.Ok() ? "正常" : BlockFaultText(state.last.fault),
        state.seen && state.last.Ok() ? Decimal(state.last.ProbeCount()) : "",
        low,
        high,
        mean,
        state.seen ? IsoLocalTime(state.last.time).substr(11, 8) : "",
        Decimal(state.good),
        Decimal(state.failed),
    };
    for (int column = kBus; column <= kFailed; ++column) {
        m_listModules.SetItemText(row, column, cells[column]);
    }
    alarms_->ShowModuleRow(row);
}

int CSiteDlg::ChosenModule() const {
    const int chosen = m_comboModule.GetCurSel();
    return chosen >= 0 && chosen < static_cast<int>(modules_.size()) ? chosen : -1;
}

void CSiteDlg::ShowChannels() {
    const int chosen = ChosenModule();
    const bool fresh = m_listChannels.GetItemCount() != (chosen < 0 ? 0 : kReadingChannels);
    if (fresh) m_listChannels.DeleteAllItems();
    if (chosen < 0) return;
    const ModuleState& state = modules_[static_cast<std::size_t>(chosen)];
    for (int channel = 0; channel < kReadingChannels; ++channel) {
        // An unnamed channel shows its label, as the CSV and the JSON lines name it.
        if (fresh) m_listChannels.InsertItem(channel, state.module->ChannelName(channel));
        m_listChannels.SetItemText(channel, 0, state.module->ChannelName(channel));
        m_listChannels.SetItemText(channel, 1, ChannelLabel(channel));
        m_listChannels.SetItemText(channel, 2, state.seen ? ChannelText(state.last, channel) : "");
    }
    alarms_->ShowChannels();
}

void CSiteDlg::ShowStatus() {
    if (file_.GetSite().buses.empty()) {
        m_statusText = "请打开站点文件";
    } else {
        long long good = 0, failed = 0;
        int answering = 0;
        for (const ModuleState& state : modules_) {
            good += state.good;
            failed += state.failed;
            if (state.seen && state.last.Ok()) ++answering;
        }
        m_statusText = std::string(Running() ? "运行中" : "未运行") + ": " + file_.GetSite().name +
                       ", " + Decimal(static_cast<long long>(file_.GetSite().buses.size())) +
                       " 条总线, " + Decimal(answering) + "/" +
                       Decimal(static_cast<long long>(modules_.size())) + " 个模块正常";
        if (Recording()) m_statusText += ", 记录中";
    }
    if (IsCreated()) {
        CWnd* status = GetDlgItem(IDC_SITE_STATUS);
        if (status != nullptr) status->SetWindowText(m_statusText);
        m_btnStart.SetWindowText(Running() ? "停止" : "开始");
        m_btnRecord.SetWindowText(Recording() ? "停止记录" : "开始记录");
        const bool idle = !Running();
        for (const int id : {IDC_SITE_OPEN, IDC_SITE_NEW}) {
            if (CWnd* button = GetDlgItem(id)) button->EnableWindow(idle);
        }
        m_btnStart.EnableWindow(!file_.GetSite().buses.empty());
    }
}

void CSiteDlg::OnStart() {
    if (Running()) {
        Stop();
        ShowStatus();
        return;
    }
    if (file_.GetSite().buses.empty()) return;
    runner_ = std::make_unique<BusRunner>(file_.GetSite());
    runner_->AddObserver(&feed_);
    alarms_->Attach(*runner_);
    runner_->Start();
    ShowStatus();
}

void CSiteDlg::Stop() {
    if (!runner_) return;
    runner_->Stop();  // the threads end here; nothing they posted reaches a stale reading
    runner_.reset();
}

void CSiteDlg::Feed::OnSiteReading(const SiteReading& reading) {
    std::lock_guard lock(dialog_.mutex_);
    if (const auto file = dialog_.recording_.find({reading.bus, reading.address});
        file != dialog_.recording_.end() && file->second->IsOpen()) {
        if (!file->second->Append(reading.reading)) {
            file->second->Close();
            dialog_.recordFailed_ = true;
        }
    }
    dialog_.arrived_.push_back(reading);
    // One message for any number of readings: the window takes them all when it gets to it.
    if (!dialog_.posted_) {
        dialog_.posted_ = true;
        PostMessage(dialog_.window_, WM_SITE_READINGS);
    }
}

LRESULT CSiteDlg::OnSiteReadings(WPARAM, LPARAM) {
    std::vector<SiteReading> arrived;
    bool recordFailed = false;
    {
        std::lock_guard lock(mutex_);
        arrived.swap(arrived_);
        posted_ = false;
        recordFailed = recordFailed_;
        recordFailed_ = false;
    }
    for (const SiteReading& reading : arrived) {
        for (std::size_t row = 0; row < modules_.size(); ++row) {
            ModuleState& state = modules_[row];
            if (state.bus != reading.bus || state.module->address != reading.address) continue;
            state.last = reading.reading;
            state.seen = true;
            (reading.reading.Ok() ? state.good : state.failed) += 1;
            ShowModuleRow(static_cast<int>(row));
        }
    }
    ShowChannels();
    ShowStatus();
    if (recordFailed) MessageBox("记录文件写入失败!");
    return 0;
}

bool CSiteDlg::Recording() const {
    std::lock_guard lock(mutex_);
    return !recording_.empty();
}

void CSiteDlg::OnRecord() {
    if (Recording()) {
        StopRecording();
        ShowStatus();
        return;
    }
    if (modules_.empty()) return;
    // A folder of its own beside the site file: <site name>_<date>_<time>.
    const std::filesystem::path base = path_.empty() ? std::filesystem::u8path(startDir_)
                                                     : std::filesystem::u8path(path_).parent_path();
    std::string name = file_.GetSite().name + "_" + CompactLocalTime(std::chrono::system_clock::now());
    for (char& c : name) {
        if (c == '/' || c == '\\' || c == ':') c = '_';
    }
    const std::filesystem::path folder = base / std::filesystem::u8path(name);
    std::error_code made;
    std::filesystem::create_directories(folder, made);
    std::map<std::pair<int, int>, std::unique_ptr<ReadingsCsvFile>> files;
    for (const ModuleState& state : modules_) {
        std::string fileName = ModuleCsvName(*state.module);
        if (state.bus > 1) fileName = "总线" + Decimal(state.bus) + "-" + fileName;
        auto file = std::make_unique<ReadingsCsvFile>();
        std::string error;
        const std::string path = PathText(folder / std::filesystem::u8path(fileName));
        if (!file->Create(path, error)) {
            for (auto& [key, open] : files) open->Close();
            MessageBox("无法创建记录文件 " + path + ": " + error);
            return;
        }
        files[{state.bus, state.module->address}] = std::move(file);
    }
    {
        std::lock_guard lock(mutex_);
        recording_ = std::move(files);
        recordingFolder_ = PathText(folder);
    }
    ShowStatus();
}

void CSiteDlg::StopRecording() {
    std::lock_guard lock(mutex_);
    for (auto& [key, file] : recording_) file->Close();
    recording_.clear();
}

void CSiteDlg::OnModuleChange() {
    ShowChannels();
}

void CSiteDlg::OnMakeCurrent() {
    const int module = ChosenModule();
    if (module < 0) return;
    const ModuleState& state = modules_[static_cast<std::size_t>(module)];
    const SiteBus& bus = file_.GetSite().buses[static_cast<std::size_t>(state.bus - 1)];
    if (!bus.device.empty()) {
        MessageBox("这条总线用设备路径 " + bus.device + ", 主窗口只能用串口号!");
        return;
    }
    if (makeCurrent_) makeCurrent_(bus.port, bus.baud, state.module->address);
}

void CSiteDlg::OnDestroy() {
    Stop();
    StopRecording();
    alarms_->Close();
}
