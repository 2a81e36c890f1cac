#pragma once
// A dialog built only for the layer's tests: one control of every kind, members bound by data
// exchange in a known order, and a message map that records what reached it.
#include <string>
#include <thread>
#include <vector>

#include "ui/afxwin.h"

enum TestIds {
    IDD_TEST = 900,
    IDC_T_PORT = 1000,
    IDC_T_NAME = 1001,
    IDC_T_INDEX = 1002,
    IDC_T_CODE = 1003,
    IDC_T_MODE_A = 1010,
    IDC_T_MODE_B = 1011,
    IDC_T_MODE_C = 1012,
    IDC_T_BAUD = 1020,
    IDC_T_CHANNEL = 1021,
    IDC_T_RUN = 1030,
    IDC_T_LIST = 1040,
    IDC_T_LOG = 1041,
    IDC_T_BUDDY = 1050,
    IDC_T_SPIN_BUDDY = 1051,
    IDC_T_SPIN = 1052,
    IDC_T_COUNT = 1060,
};

constexpr UINT WM_T_PRIVATE = WM_USER + 1;
constexpr UINT IDM_T_ABOUT = 0x10;

const DialogTemplate& TestDialogTemplate();

class CTestDlg : public CDialog {
public:
    CTestDlg();

    CListCtrl m_list;
    CListBox m_log;
    CComboBox m_channel;
    CSpinButtonCtrl m_spinBuddy;
    CSpinButtonCtrl m_spin;
    CButton m_run;
    int m_port = 1;
    std::string m_name = "探头";
    int m_index = 1;
    std::string m_code = "0";
    std::string m_baud = "9600";
    int m_mode = 0;
    std::string m_count;

    // What the message map saw.
    int runClicks = 0;
    int modeBClicks = 0;
    int baudSelChanges = 0;
    int channelEditChanges = 0;
    int nameChanges = 0;
    int destroys = 0;
    std::vector<UINT> sysCommands;
    std::vector<std::pair<int, int>> deltaPos;  // iPos, iDelta
    LRESULT vetoDelta = 0;
    std::thread::id privateThread;
    bool appendAboutItem = true;

    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;

    void OnRun() { ++runClicks; }
    void OnModeB() { ++modeBClicks; }
    void OnBaudSelChange() {
        ++baudSelChanges;
        UpdateData(TRUE);
    }
    void OnChannelEditChange() { ++channelEditChanges; }
    void OnNameChange() { ++nameChanges; }
    void OnDeltaPosSpin(NMHDR* header, LRESULT* result);
    LRESULT OnPrivate(WPARAM wParam, LPARAM lParam);
    void OnSysCommand(UINT id, LPARAM lParam);
    void OnDestroy() { ++destroys; }

protected:
    const MessageMap& GetMessageMap() const override;
};
