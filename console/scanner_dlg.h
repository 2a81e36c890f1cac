#pragma once
// The main console window: every setting, every operation's button, the acquisition counters and
// the three temperature lists.
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "console/reading_feed.h"
#include "link/frame.h"
#include "link/poll_settings.h"
#include "link/serial_port.h"
#include "record/readings_recorder.h"
#include "sitewin/site_dlg.h"
#include "trend/trend_store.h"
#include "trend/trend_window.h"
#include "ui/afxwin.h"

// Private messages of continuous acquisition.
constexpr UINT WM_GET_POLL_SETTINGS = WM_USER + 101;
constexpr UINT WM_POLL_RESULT = WM_USER + 103;
constexpr UINT WM_POLL_ONCE = WM_USER + 104;
// Posted when a recording's write has failed, so that the message waits for no report.
constexpr UINT WM_RECORDING_FAILED = WM_USER + 110;

constexpr int kMinPeriodMs = 600;

class CScannerDlg : public CDialog {
public:
    explicit CScannerDlg(CWnd* parent = nullptr);

    // One request/reply with the module on the configured port. Returns the reply block and sets
    // status to its byte count (>= 9); returns nullptr with status -1 when the port did not open,
    // 0 when fewer than 9 bytes came back. The caller owns the block.
    std::unique_ptr<ReplyBlock> SendCommand(int address, const std::uint8_t* payload,
                                            int payloadLength, std::uint8_t command, int& status);
    // Opens the port from the window's fields with the Interactive profile.
    CommPort OpenConfiguredPort();

    void SetupTemperatureLists();
    void ShowTemperatures();

    // Enables or disables the eight SN byte fields.
    void EnableSnEdits(bool enable);
    // One SN byte text: one or two of 0-9 and A-F (empty: 0), ok set; else ok false and -1, or
    // -2 when the text is longer than two characters.
    static int ParseHexByte(std::string text, bool& ok);

    // Members, in declaration order.
    PollSettings m_portSettings;
    std::string* m_snByteRefs[8] = {};
    CListCtrl m_listRight;
    CEdit m_editChannel;
    CListCtrl m_listMiddle;
    CButton m_btnContinuous;
    CListCtrl m_listLeft;
    int m_address = 0;
    int m_port = 1;
    int m_channel = 1;
    int m_signalCount = 1;
    std::string m_baudText = "9600";
    int m_periodMs = 1000;
    std::string m_failCountText;
    std::string m_okCountText;
    int m_snIndex = 1;
    std::string m_snByte1 = "0", m_snByte2 = "0", m_snByte3 = "0", m_snByte4 = "0";
    std::string m_snByte5 = "0", m_snByte6 = "0", m_snByte7 = "0", m_snByte8 = "0";
    int m_regMode = 0;
    HICON m_icon = nullptr;
    int m_continuousOn = 0;

    // Every reading the window makes, good or failed, single or continuous, leaves through here.
    ReadingFeed m_readings;

    // The menu bar and what its items reach: the recording, the trend's store (filled whether
    // or not its window is open) and the trend window.
    CMenuBar m_menuBar;
    ReadingsRecorder m_recorder;
    TrendStore m_trendStore;
    TrendWindow m_trendWindow{m_trendStore};
    // The site window, kept (and its site loaded) between openings.
    std::unique_ptr<CSiteDlg> m_siteDlg;

    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;

    // Message-map handlers.
    void OnSysCommand(UINT id, LPARAM lParam);
    void OnPaint();
    HICON OnQueryDragIcon();
    void OnSetSignalCount();
    void OnSingleAcquisition();
    void OnRegister();
    void OnContinuousAcquisition();
    LRESULT OnGetPollSettings(WPARAM wParam, LPARAM lParam);
    LRESULT OnPollOnce(WPARAM wParam, LPARAM lParam);
    LRESULT OnPollResult(WPARAM wParam, LPARAM lParam);
    void OnReadSn();
    void OnModeSemiOrManual();
    void OnModeFullAuto();
    void OnBaudEditChange();
    void OnBaudSelChange();
    void OnFileRegister();
    void OnPt100Settings();
    void OnDestroy();

    // The menu bar's items.
    void OnRecordStart();
    void OnRecordStop();
    LRESULT OnRecordingFailed(WPARAM wParam, LPARAM lParam);
    void OnViewTrend();
    void OnViewSite();
    void OnToolsPortMap();
    void OnHelpAbout();

protected:
    const MessageMap& GetMessageMap() const override;

private:
    void SetupMenuBar();
    // Each reading the window publishes: to the recording, then to the trend.
    void RecordAndTrend(const Reading& reading);
    void ShowRecordingState();
    // The window goes: the recording's file is closed, the trend window with it.
    void EndRecordingAndTrend();
};

// The one main window, set at the end of its initialisation.
extern CScannerDlg* g_mainDlg;

// The decimal number at the start of a baud-rate text; 0 when it does not start with a digit.
int BaudFromText(const std::string& text);
