#pragma once
// The site window's alarms: the engine fed by the window's buses, the journal beside the site
// file, the board the window colours its overview and marks its rows from, the 报警 menu with
// the alarm list, the journal's history, a channel's limits and the bell.
//
// The engine tells of changes on the buses' threads; they reach the window as one posted
// message, and everything else here runs on the window's thread.
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "alarms/alarm_engine.h"
#include "alarms/alarm_journal.h"
#include "sitewin/alarm_board.h"
#include "sitewin/alarm_map.h"
#include "ui/afxwin.h"
#include "ui/menu_bar.h"

class BusRunner;
class CSiteDlg;
class CAlarmListDlg;

constexpr UINT WM_SITE_ALARMS = WM_USER + 171;

class SiteAlarms : public AlarmObserver {
public:
    explicit SiteAlarms(CSiteDlg& window);
    ~SiteAlarms() override;

    // From the window's OnInitDialog: the menu, the alarm columns, the overview.
    void Init();
    // The site file at the window's path is open: its limits and journal replace the last
    // site's (the buses are not running). A fault in the limits is shown once; the site then
    // runs without alarms.
    void Open();
    // Before the buses start: the engine takes every reading of the window's runner.
    void Attach(BusRunner& runner);
    void ShowModuleRow(int row);
    void ShowChannels();
    // The changes the engine reported since the last message.
    void TakeChanges();
    void Close();

    void OpenList();
    void OpenHistory();
    void EditLimits();
    void SetBell(bool on);
    bool BellOn() const { return bellOn_; }

    const AlarmBoard& Board() const { return board_; }
    AlarmEngine* Engine() { return engine_.get(); }
    const std::string& JournalPath() const;
    CAlarmListDlg* List() { return list_.get(); }
    // Acknowledges as the operating system's user; the number acknowledged.
    int Acknowledge(const std::vector<std::uint64_t>& ids);
    int AcknowledgeAll();
    // What sounds the bell (tests count it instead).
    void SetBellSound(std::function<void()> sound) { sound_ = std::move(sound); }

    void OnAlarmChange(const AlarmEvent& event) override;

private:
    void ShowSummary();

    CSiteDlg& window_;
    CMenuBar menuBar_;
    std::unique_ptr<AlarmJournal> journal_;
    std::unique_ptr<AlarmEngine> engine_;
    std::string configError_;
    AlarmBoard board_;
    std::vector<AlarmMapModule> mapModules_;
    CAlarmMap map_{mapModules_, board_};
    std::unique_ptr<CAlarmListDlg> list_;
    bool bellOn_ = true;
    std::function<void()> sound_;

    std::mutex mutex_;  // guards what the engine's observers touch
    std::vector<AlarmEvent> arrived_;
    bool posted_ = false;
    HWND hwnd_{};
};
