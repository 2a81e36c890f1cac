#pragma once
// The site window "站点监视": a site file's modules on every bus at a glance, the chosen
// module's channels with their names, names edited and saved to the file, the buses run (their
// ports held meanwhile) and recorded, a module handed to the main window for its operations.
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "bus/bus_runner.h"
#include "record/readings_csv_file.h"
#include "site/site_file.h"
#include "ui/afxwin.h"

constexpr UINT WM_SITE_READINGS = WM_USER + 170;

class SiteAlarms;

class CSiteDlg : public CDialog {
public:
    // Puts a module's port, baud rate and address into the main window's fields.
    using MakeCurrent = std::function<void(int port, int baud, int address)>;

    CSiteDlg(std::string startDir, MakeCurrent makeCurrent, CWnd* parent = nullptr);
    ~CSiteDlg() override;

    CEdit m_editFile;
    CButton m_btnStart;
    CButton m_btnRecord;
    CListCtrl m_listModules;
    CComboBox m_comboModule;
    CListCtrl m_listChannels;  // its first column, the channel's name, is edited in place
    std::string m_statusText = "未运行";

    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;

    // Loads a site file into the window (not while running); false after a message box.
    bool OpenSite(const std::string& path);
    bool Running() const { return runner_ != nullptr; }
    bool Recording() const;
    const std::string& RecordingFolder() const { return recordingFolder_; }

    void OnOpen();
    void OnNew();
    void OnStart();
    void OnRecord();
    void OnModuleChange();
    void OnChannelNameEdited(NMHDR* header, LRESULT* result);
    void OnMakeCurrent();
    void OnDestroy();
    LRESULT OnSiteReadings(WPARAM wParam, LPARAM lParam);

    // The alarms: the 报警 menu, the overview and the alarm columns (sitewin/alarm_site.h).
    SiteAlarms& Alarms() { return *alarms_; }
    void OnAlarmList();
    void OnAlarmHistory();
    void OnAlarmLimits();
    void OnAlarmBell();
    LRESULT OnSiteAlarms(WPARAM wParam, LPARAM lParam);

protected:
    const MessageMap& GetMessageMap() const override;

private:
    friend class SiteAlarms;
    struct ModuleState {
        int bus = 1;  // 1-based
        const SiteModule* module = nullptr;
        Reading last;
        bool seen = false;
        long long good = 0;
        long long failed = 0;
    };
    // Takes the buses' readings on their threads: the recording is written there, the window
    // is told by a posted message.
    class Feed : public SiteReadingObserver {
    public:
        explicit Feed(CSiteDlg& dialog) : dialog_(dialog) {}
        void OnSiteReading(const SiteReading& reading) override;

    private:
        CSiteDlg& dialog_;
    };

    void Stop();
    void StopRecording();
    void ShowSite();
    void ShowModuleRow(int row);
    void ShowChannels();
    void ShowStatus();
    int ChosenModule() const;  // index into modules_, -1 for none
    // Names (or with an empty name unnames) a channel of the chosen module in the site file and
    // saves it; false after a message box.
    bool SaveChannelName(int channel, const std::string& name);

    std::string startDir_;
    MakeCurrent makeCurrent_;
    std::string path_;
    SiteFile file_;
    std::vector<ModuleState> modules_;  // bus by bus, ascending addresses
    std::unique_ptr<BusRunner> runner_;
    Feed feed_{*this};
    HWND window_{};

    mutable std::mutex mutex_;  // guards what the buses' threads touch
    std::vector<SiteReading> arrived_;
    bool posted_ = false;
    std::map<std::pair<int, int>, std::unique_ptr<ReadingsCsvFile>> recording_;
    std::string recordingFolder_;
    bool recordFailed_ = false;
    std::unique_ptr<SiteAlarms> alarms_;
};
