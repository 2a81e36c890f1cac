#include "sitewin/alarm_list_dlg.h"

#include <algorithm>

#include "res/alarm_resource.h"
#include "res/alarm_templates.h"
#include "sitewin/alarm_rows.h"
#include "sitewin/alarm_site.h"

namespace {

// The filter's items in the template's order: 全部, 未确认, then one state each.
bool Shown(int filter, AlarmState state) {
    switch (filter) {
        case 1: return state != AlarmState::ActiveAcked;
        case 2: return state == AlarmState::ActiveUnacked;
        case 3: return state == AlarmState::ActiveAcked;
        case 4: return state == AlarmState::ClearedUnacked;
        default: return true;
    }
}

}  // namespace

CAlarmListDlg::CAlarmListDlg(SiteAlarms& alarms, CWnd* parent)
    : CDialog(AlarmListTemplate(), parent), alarms_(alarms) {}

void CAlarmListDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_ALARM_FILTER, m_comboFilter);
    DDX_Control(pDX, IDC_ALARM_LIST, m_list);
    DDX_Control(pDX, IDC_ALARM_BELL, m_btnBell);
}

const MessageMap& CAlarmListDlg::GetMessageMap() const {
    using D = CAlarmListDlg;
    static const MessageMap map = {
        ON_CBN_SELCHANGE(IDC_ALARM_FILTER, &D::OnFilter),
        ON_BN_CLICKED(IDC_ALARM_ACK, &D::OnAck),
        ON_BN_CLICKED(IDC_ALARM_ACK_ALL, &D::OnAckAll),
        ON_BN_CLICKED(IDC_ALARM_BELL, &D::OnBell),
    };
    return map;
}

BOOL CAlarmListDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    // 用户 names who acknowledged, as long as the acknowledgement is the alarm's latest change.
    for (int column = 0; column < kAlarmRowColumns; ++column) {
        m_list.InsertColumn(column, AlarmRowHeading(column), LVCFMT_LEFT, AlarmRowWidth(column));
    }
    m_list.SetExtendedStyle(m_list.GetExtendedStyle() | LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT |
                            LVS_EX_CHECKBOXES);
    m_comboFilter.SetCurSel(0);
    Refresh();
    return TRUE;
}

void CAlarmListDlg::Refresh() {
    if (!IsCreated()) return;
    // Checks survive a refresh: an operator ticking rows while alarms arrive keeps the ticks.
    std::vector<std::uint64_t> checked;
    for (int row = 0; row < m_list.GetItemCount() && row < static_cast<int>(rowIds_.size()); ++row) {
        if (m_list.GetCheck(row)) checked.push_back(rowIds_[static_cast<std::size_t>(row)]);
    }
    std::vector<AlarmEvent> alarms = alarms_.Board().Alarms();
    std::reverse(alarms.begin(), alarms.end());  // newest first
    const int filter = std::max(0, m_comboFilter.GetCurSel());
    std::erase_if(alarms, [filter](const AlarmEvent& event) { return !Shown(filter, event.state); });
    const bool sameRows = static_cast<int>(alarms.size()) == m_list.GetItemCount();
    if (!sameRows) m_list.DeleteAllItems();
    rowIds_.clear();
    for (std::size_t index = 0; index < alarms.size(); ++index) {
        const int row = static_cast<int>(index);
        const auto texts = AlarmRowTexts(alarms[index]);
        if (!sameRows) m_list.InsertItem(row, texts[0]);
        for (int column = sameRows ? 0 : 1; column < kAlarmRowColumns; ++column) {
            m_list.SetItemText(row, column, texts[static_cast<std::size_t>(column)]);
        }
        rowIds_.push_back(alarms[index].id);
        const bool tick = std::find(checked.begin(), checked.end(), alarms[index].id) != checked.end();
        if (static_cast<bool>(m_list.GetCheck(row)) != tick) m_list.SetCheck(row, tick);
    }
    const int total = alarms_.Board().Count();
    std::string count = "共 " + std::to_string(total) + " 个, 未确认 " +
                        std::to_string(alarms_.Board().UnackedCount()) + " 个";
    if (static_cast<int>(alarms.size()) != total) count += ", 显示 " + std::to_string(alarms.size()) + " 个";
    if (CWnd* status = GetDlgItem(IDC_ALARM_COUNT)) status->SetWindowText(count);
    m_btnBell.SetWindowText(alarms_.BellOn() ? "关闭报警声音" : "打开报警声音");
}

void CAlarmListDlg::OnFilter() { Refresh(); }

void CAlarmListDlg::OnAck() {
    std::vector<std::uint64_t> ids;
    for (int row = 0; row < m_list.GetItemCount() && row < static_cast<int>(rowIds_.size()); ++row) {
        if (m_list.GetCheck(row)) ids.push_back(rowIds_[static_cast<std::size_t>(row)]);
    }
    if (ids.empty()) {
        MessageBox("请先勾选要确认的报警!");
        return;
    }
    for (int row = 0; row < m_list.GetItemCount(); ++row) m_list.SetCheck(row, FALSE);
    alarms_.Acknowledge(ids);
}

void CAlarmListDlg::OnAckAll() { alarms_.AcknowledgeAll(); }

void CAlarmListDlg::OnBell() { alarms_.SetBell(!alarms_.BellOn()); }
