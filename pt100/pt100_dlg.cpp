#include "pt100/pt100_dlg.h"

#include "console/trace_list.h"
#include "pt100/log_file.h"
#include "res/dialog_templates.h"
#include "res/resource.h"

namespace {

constexpr int kSpinLower = 0;
constexpr int kSpinUpper = 100;
constexpr int kSpinStart = 50;  // an offset of 0.0

}  // namespace

CPt100Dlg::CPt100Dlg() : CDialog(Pt100DialogTemplate()) {}

CPt100Dlg::~CPt100Dlg() {
    // The opener clears the trace hook after the run; never leave it pointing at a list that is
    // gone.
    if (g_traceList == &m_listLog) g_traceList = nullptr;
}

void CPt100Dlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_PT100_OFFSET_SPIN, m_spinOffset);
    DDX_Control(pDX, IDC_PT100_LOG, m_listLog);
    DDX_Control(pDX, IDC_PT100_TEMP4, m_editTemp4);
    DDX_Control(pDX, IDC_PT100_TEMP3, m_editTemp3);
    DDX_Control(pDX, IDC_PT100_TEMP2, m_editTemp2);
    DDX_Control(pDX, IDC_PT100_TEMP1, m_editTemp1);
    DDX_Control(pDX, IDC_PT100_RES2_AD, m_editRes2Ad);
    DDX_Control(pDX, IDC_PT100_RES1_AD, m_editRes1Ad);
    DDX_Control(pDX, IDC_PT100_OFFSET, m_editOffset);
    DDX_Control(pDX, IDC_PT100_ZERO_AD, m_editZeroAd);
    DDX_Control(pDX, IDC_PT100_CHANNEL, m_comboChannel);
}

const MessageMap& CPt100Dlg::GetMessageMap() const {
    using D = CPt100Dlg;
    static const MessageMap map = {
        ON_BN_CLICKED(IDC_PT100_READ_PARAMS, &D::OnReadParams),
        ON_BN_CLICKED(IDC_PT100_CAL_ZERO, &D::OnCalibrateZero),
        ON_BN_CLICKED(IDC_PT100_CAL_RES1, &D::OnCalibrateRes1),
        ON_BN_CLICKED(IDC_PT100_CAL_RES2, &D::OnCalibrateRes2),
        ON_BN_CLICKED(IDC_PT100_SET_OFFSET, &D::OnSetOffset),
        ON_BN_CLICKED(IDC_PT100_READ_TEMPS, &D::OnReadTemps),
        ON_BN_CLICKED(IDC_PT100_CLEAR_LOG, &D::OnClearLog),
        ON_BN_CLICKED(IDC_PT100_SAVE_LOG, &D::OnSaveLog),
        ON_NOTIFY(UDN_DELTAPOS, IDC_PT100_OFFSET_SPIN, &D::OnDeltaposSpinOffset),
        ON_EN_CHANGE(IDC_PT100_OFFSET, &D::OnChangeEditOffset),
    };
    return map;
}

BOOL CPt100Dlg::OnInitDialog() {
    CDialog::OnInitDialog();
    g_traceList = &m_listLog;
    m_comboChannel.SetCurSel(0);
    m_spinOffset.SetRange32(kSpinLower, kSpinUpper);
    m_spinOffset.SetRange(kSpinLower, kSpinUpper);
    m_spinOffset.SetPos(kSpinStart);  // no notification: the offset field stays empty
    return TRUE;
}

void CPt100Dlg::OnClearLog() {
    m_listLog.ResetContent();
}

void CPt100Dlg::OnSaveLog() {
    // The save variant, so that choosing an existing file asks before replacing it.
    CFileDialog fileDlg(FALSE, nullptr, nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, nullptr,
                        this);
    if (fileDlg.DoModal() != IDOK) return;
    const std::string path = fileDlg.GetPathName();
    // Each trace line begins with a line feed of its own; one record per line.
    std::string text;
    for (int i = 0; i < m_listLog.GetCount(); ++i) text += m_listLog.GetText(i) + "\n";
    if (path.empty() || !WriteGbkTextFile(path, text)) MessageBox("保存日志失败!");
}
