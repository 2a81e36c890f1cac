#include "tests/ui/test_dialog.h"

const DialogTemplate& TestDialogTemplate() {
    using K = ControlKind;
    static const DialogTemplate tpl{
        .id = IDD_TEST,
        .caption = "测试对话框",
        .cx = 308,
        .cy = 367,
        .minimizeBox = true,
        .controls =
            {
                {IDC_T_PORT, K::Edit, "", 40, 8, 30, 14},
                {kNoId, K::Static, "端口:", 5, 10, 30, 8},
                {kNoId, K::Static, "名称:", 5, 30, 30, 8},
                {IDC_T_NAME, K::Edit, "", 40, 28, 60, 14},
                {kNoId, K::Static, "序号:", 5, 50, 30, 8},
                {IDC_T_INDEX, K::Edit, "", 40, 48, 30, 14},
                {IDC_T_CODE, K::Edit, "", 80, 48, 30, 14, kStyleUpperCase},
                {IDC_T_MODE_A, K::RadioButton, "甲", 5, 70, 40, 10, kStyleGroup},
                {IDC_T_MODE_B, K::RadioButton, "乙", 50, 70, 40, 10},
                {IDC_T_MODE_C, K::RadioButton, "丙", 95, 70, 40, 10},
                {kNoId, K::Static, "波特率:", 5, 90, 30, 8, kStyleGroup},
                {IDC_T_BAUD, K::ComboDropList, "", 40, 88, 48, 64},
                {kNoId, K::Static, "通道", 100, 90, 20, 8},
                {IDC_T_CHANNEL, K::ComboDropDown, "", 125, 88, 48, 59},
                {IDC_T_RUN, K::PushButton, "执行", 180, 88, 40, 14},
                {IDC_T_LIST, K::ListView, "", 5, 110, 140, 120},
                {IDC_T_LOG, K::ListBox, "", 150, 110, 150, 60, kStyleVScroll},
                {IDC_T_BUDDY, K::Edit, "", 150, 180, 40, 14},
                {IDC_T_SPIN_BUDDY, K::Spin, "", 190, 180, 10, 14,
                 kStyleSpinAutoBuddy | kStyleSpinSetBuddyInt | kStyleSpinArrowKeys},
                {IDC_T_SPIN, K::Spin, "", 210, 180, 10, 14, kStyleSpinArrowKeys},
                {kNoId, K::GroupBox, "计数", 150, 200, 150, 30},
                {IDC_T_COUNT, K::Static, "0", 160, 212, 30, 10},
            },
        .comboItems = {{IDC_T_BAUD, {"1200", "9600", "19200", "38400"}},
                       {IDC_T_CHANNEL, {"1", "2", "3", "4"}}},
    };
    return tpl;
}

CTestDlg::CTestDlg() : CDialog(TestDialogTemplate()) {}

BOOL CTestDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    if (appendAboutItem) {
        if (CMenu* menu = GetSystemMenu(FALSE)) {
            menu->AppendMenu(MF_SEPARATOR);
            menu->AppendMenu(MF_STRING, IDM_T_ABOUT, "关于(&A)...");
        }
    }
    return TRUE;
}

void CTestDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_T_LIST, m_list);
    DDX_Control(pDX, IDC_T_LOG, m_log);
    DDX_Control(pDX, IDC_T_CHANNEL, m_channel);
    DDX_Control(pDX, IDC_T_SPIN_BUDDY, m_spinBuddy);
    DDX_Control(pDX, IDC_T_SPIN, m_spin);
    DDX_Control(pDX, IDC_T_RUN, m_run);
    DDX_Text(pDX, IDC_T_PORT, m_port);
    DDX_Text(pDX, IDC_T_NAME, m_name);
    DDX_Text(pDX, IDC_T_INDEX, m_index);
    DDV_MinMaxInt(pDX, m_index, 0, 64);
    DDX_Text(pDX, IDC_T_CODE, m_code);
    DDX_CBString(pDX, IDC_T_BAUD, m_baud);
    DDX_Radio(pDX, IDC_T_MODE_A, m_mode);
    DDX_Text(pDX, IDC_T_COUNT, m_count);
}

void CTestDlg::OnDeltaPosSpin(NMHDR* header, LRESULT* result) {
    auto* notice = reinterpret_cast<NMUPDOWN*>(header);
    deltaPos.emplace_back(notice->iPos, notice->iDelta);
    *result = vetoDelta;
}

LRESULT CTestDlg::OnPrivate(WPARAM wParam, LPARAM lParam) {
    privateThread = std::this_thread::get_id();
    return static_cast<LRESULT>(wParam) + lParam;
}

void CTestDlg::OnSysCommand(UINT id, LPARAM lParam) {
    sysCommands.push_back(id);
    if ((id & 0xFFF0) != IDM_T_ABOUT) Default(WM_SYSCOMMAND, id, lParam);
}

const MessageMap& CTestDlg::GetMessageMap() const {
    using D = CTestDlg;
    static const MessageMap map = {
        ON_WM_SYSCOMMAND(&D::OnSysCommand),
        ON_BN_CLICKED(IDC_T_RUN, &D::OnRun),
        ON_BN_CLICKED(IDC_T_MODE_B, &D::OnModeB),
        ON_CBN_SELCHANGE(IDC_T_BAUD, &D::OnBaudSelChange),
        ON_CBN_EDITCHANGE(IDC_T_CHANNEL, &D::OnChannelEditChange),
        ON_EN_CHANGE(IDC_T_NAME, &D::OnNameChange),
        ON_NOTIFY(UDN_DELTAPOS, IDC_T_SPIN, &D::OnDeltaPosSpin),
        ON_MESSAGE(WM_T_PRIVATE, &D::OnPrivate),
        ON_WM_DESTROY(&D::OnDestroy),
    };
    return map;
}
