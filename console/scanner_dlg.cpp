#include "console/scanner_dlg.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "console/acquisition.h"
#include "link/fault_log.h"
#include "link/file_append.h"
#include "res/dialog_templates.h"
#include "res/resource.h"
#include "ui/startup_trace.h"

CScannerDlg* g_mainDlg = nullptr;

CScannerDlg::CScannerDlg(CWnd* parent) : CDialog(ScannerDialogTemplate(), parent) {
    m_icon = AfxGetApp()->LoadIcon(IDR_MAINFRAME);
    m_readings.Subscribe([this](const Reading& reading) { RecordAndTrend(reading); });
}

void CScannerDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_LIST_RIGHT, m_listRight);
    DDX_Control(pDX, IDC_CHANNEL, m_editChannel);
    DDX_Control(pDX, IDC_LIST_MIDDLE, m_listMiddle);
    DDX_Control(pDX, IDC_CONTINUOUS_ACQUISITION, m_btnContinuous);
    DDX_Control(pDX, IDC_LIST_LEFT, m_listLeft);
    DDX_Text(pDX, IDC_ADDRESS, m_address);
    DDX_Text(pDX, IDC_PORT, m_port);
    DDX_Text(pDX, IDC_CHANNEL, m_channel);
    DDX_Text(pDX, IDC_SIGNAL_COUNT, m_signalCount);
    DDX_CBString(pDX, IDC_BAUD, m_baudText);
    DDX_Text(pDX, IDC_PERIOD, m_periodMs);
    DDX_Text(pDX, IDC_FAIL_COUNT, m_failCountText);
    DDX_Text(pDX, IDC_OK_COUNT, m_okCountText);
    DDX_Text(pDX, IDC_SN_INDEX, m_snIndex);
    DDV_MinMaxInt(pDX, m_snIndex, 0, 64);
    DDX_Text(pDX, IDC_SN_BYTE1, m_snByte1);
    DDX_Text(pDX, IDC_SN_BYTE2, m_snByte2);
    DDX_Text(pDX, IDC_SN_BYTE3, m_snByte3);
    DDX_Text(pDX, IDC_SN_BYTE4, m_snByte4);
    DDX_Text(pDX, IDC_SN_BYTE5, m_snByte5);
    DDX_Text(pDX, IDC_SN_BYTE6, m_snByte6);
    DDX_Text(pDX, IDC_SN_BYTE7, m_snByte7);
    DDX_Text(pDX, IDC_SN_BYTE8, m_snByte8);
    DDX_Radio(pDX, IDC_MODE_SEMI_AUTO, m_regMode);
}

const MessageMap& CScannerDlg::GetMessageMap() const {
    using D = CScannerDlg;
    static const MessageMap map = {
        ON_WM_SYSCOMMAND(&D::OnSysCommand),
        ON_WM_PAINT(&D::OnPaint),
        ON_WM_QUERYDRAGICON(&D::OnQueryDragIcon),
        ON_BN_CLICKED(IDC_SET_SIGNAL_COUNT, &D::OnSetSignalCount),
        ON_BN_CLICKED(IDC_SINGLE_ACQUISITION, &D::OnSingleAcquisition),
        ON_BN_CLICKED(IDC_REGISTER, &D::OnRegister),
        ON_BN_CLICKED(IDC_CONTINUOUS_ACQUISITION, &D::OnContinuousAcquisition),
        ON_MESSAGE(WM_GET_POLL_SETTINGS, &D::OnGetPollSettings),
        ON_MESSAGE(WM_POLL_ONCE, &D::OnPollOnce),
        ON_MESSAGE(WM_POLL_RESULT, &D::OnPollResult),
        ON_BN_CLICKED(IDC_READ_SN, &D::OnReadSn),
        ON_BN_CLICKED(IDC_MODE_MANUAL, &D::OnModeSemiOrManual),
        ON_BN_CLICKED(IDC_MODE_FULL_AUTO, &D::OnModeFullAuto),
        ON_CBN_EDITCHANGE(IDC_BAUD, &D::OnBaudEditChange),
        ON_CBN_SELCHANGE(IDC_BAUD, &D::OnBaudSelChange),
        ON_BN_CLICKED(IDC_FILE_REGISTER, &D::OnFileRegister),
        ON_BN_CLICKED(IDC_PT100_SETTINGS, &D::OnPt100Settings),
        ON_BN_CLICKED(IDC_MODE_SEMI_AUTO, &D::OnModeSemiOrManual),
        ON_WM_DESTROY(&D::OnDestroy),
        ON_COMMAND(ID_RECORD_START, &D::OnRecordStart),
        ON_COMMAND(ID_RECORD_STOP, &D::OnRecordStop),
        ON_MESSAGE(WM_RECORDING_FAILED, &D::OnRecordingFailed),
        ON_COMMAND(ID_VIEW_TREND, &D::OnViewTrend),
        ON_COMMAND(ID_VIEW_SITE, &D::OnViewSite),
        ON_COMMAND(ID_TOOLS_PORT_MAP, &D::OnToolsPortMap),
        ON_COMMAND(ID_HELP_ABOUT, &D::OnHelpAbout),
    };
    return map;
}

BOOL CScannerDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    std::snprintf(g_startDir, sizeof g_startDir, "%s", CurrentDirectory().c_str());

    if (CMenu* sysMenu = GetSystemMenu(FALSE)) {
        const std::string about = LoadResourceString(IDS_ABOUTBOX);
        if (!about.empty()) {
            sysMenu->AppendMenu(MF_SEPARATOR);
            sysMenu->AppendMenu(MF_STRING, IDM_ABOUTBOX, about);
        }
    }

    SetIcon(m_icon, TRUE);
    SetIcon(m_icon, FALSE);
    StartupMark("icon");
    SetupMenuBar();
    StartupMark("menu bar");

    SetupTemperatureLists();
    StartupMark("lists");

    std::string* snBytes[8] = {&m_snByte1, &m_snByte2, &m_snByte3, &m_snByte4,
                               &m_snByte5, &m_snByte6, &m_snByte7, &m_snByte8};
    for (int i = 0; i < 8; ++i) m_snByteRefs[i] = snBytes[i];
    EnableSnEdits(false);

    m_continuousOn = 0;
    g_mainDlg = this;
    return TRUE;
}

int BaudFromText(const std::string& text) {
    if (text.empty() || !std::isdigit(static_cast<unsigned char>(text[0]))) return 0;
    // Clamped, so an absurd number becomes a rate the port refuses rather than an overflow.
    const long value = std::strtol(text.c_str(), nullptr, 10);
    return value > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(value);
}

CommPort CScannerDlg::OpenConfiguredPort() {
    UpdateData(TRUE);
    m_portSettings.port = m_port;
    m_portSettings.baud = BaudFromText(m_baudText);
    m_portSettings.address = m_address;
    return OpenCommPort(m_portSettings, TimeoutProfile::Interactive);
}

void CScannerDlg::OnBaudSelChange() {
    UpdateData(TRUE);
}

// A drop-down list never sends this; the row stays in the map as the window always had it.
void CScannerDlg::OnBaudEditChange() {}

void CScannerDlg::OnDestroy() {
    m_continuousOn = 0;
    g_acquiring = 0;
    m_btnContinuous.SetWindowText("连续采集");
    m_failCountText.clear();
    m_okCountText.clear();
    EndRecordingAndTrend();
}
