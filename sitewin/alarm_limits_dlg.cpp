#include "sitewin/alarm_limits_dlg.h"

#include "res/alarm_resource.h"
#include "res/alarm_templates.h"

CAlarmLimitsDlg::CAlarmLimitsDlg(std::string channel, const AlarmLimitKeys& keys,
                                 std::string effective, CWnd* parent)
    : CDialog(AlarmLimitsTemplate(), parent),
      m_texts(LimitTexts(keys)),
      channel_(std::move(channel)),
      effective_(std::move(effective)),
      keys_(keys) {}

BOOL CAlarmLimitsDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    if (CWnd* title = GetDlgItem(IDC_LIMITS_CHANNEL)) title->SetWindowText("通道: " + channel_);
    if (CWnd* effective = GetDlgItem(IDC_LIMITS_EFFECTIVE)) effective->SetWindowText(effective_);
    return TRUE;
}

void CAlarmLimitsDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_LIMITS_HIGH, m_texts.high);
    DDX_Text(pDX, IDC_LIMITS_LOW, m_texts.low);
    DDX_Text(pDX, IDC_LIMITS_DEADBAND, m_texts.deadband);
    DDX_Text(pDX, IDC_LIMITS_DELAY, m_texts.delay);
    DDX_Text(pDX, IDC_LIMITS_RISE, m_texts.rise);
    DDX_Text(pDX, IDC_LIMITS_WINDOW, m_texts.window);
}

void CAlarmLimitsDlg::OnOK() {
    if (!UpdateData(TRUE)) return;
    std::string error;
    if (!ParseLimitTexts(m_texts, keys_, error)) {
        MessageBox(error);
        return;
    }
    EndDialog(IDOK);
}
