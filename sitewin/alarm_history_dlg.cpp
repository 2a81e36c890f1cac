#include "sitewin/alarm_history_dlg.h"

#include <chrono>

#include "record/local_time.h"
#include "res/alarm_resource.h"
#include "res/alarm_templates.h"
#include "sitewin/alarm_history.h"
#include "sitewin/alarm_rows.h"

CAlarmHistoryDlg::CAlarmHistoryDlg(std::string journalPath, CWnd* parent)
    : CDialog(AlarmHistoryTemplate(), parent), journalPath_(std::move(journalPath)) {
    const auto now = std::chrono::system_clock::now();
    m_from = IsoLocalTime(now - std::chrono::hours(24 * 6)).substr(0, 10);
    m_to = IsoLocalTime(now).substr(0, 10);
}

void CAlarmHistoryDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_HISTORY_FROM, m_from);
    DDX_Text(pDX, IDC_HISTORY_TO, m_to);
    DDX_Control(pDX, IDC_HISTORY_LIST, m_list);
}

const MessageMap& CAlarmHistoryDlg::GetMessageMap() const {
    using D = CAlarmHistoryDlg;
    static const MessageMap map = {
        ON_BN_CLICKED(IDC_HISTORY_QUERY, &D::OnQuery),
        ON_BN_CLICKED(IDC_HISTORY_EXPORT, &D::OnExport),
    };
    return map;
}

BOOL CAlarmHistoryDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    for (int column = 0; column < kAlarmRowColumns; ++column) {
        m_list.InsertColumn(column, AlarmRowHeading(column), LVCFMT_LEFT, AlarmRowWidth(column));
    }
    m_list.SetExtendedStyle(m_list.GetExtendedStyle() | LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    OnQuery();
    return TRUE;
}

void CAlarmHistoryDlg::OnQuery() {
    if (!UpdateData(TRUE)) return;
    AlarmHistoryRange range;
    std::string error;
    std::vector<AlarmEvent> records;
    if (!ParseHistoryRange(m_from, m_to, range, error) ||
        !LoadAlarmHistory(journalPath_, range, records, error)) {
        MessageBox(error);
        return;
    }
    records_ = std::move(records);
    m_list.DeleteAllItems();
    for (std::size_t index = 0; index < records_.size(); ++index) {
        const int row = static_cast<int>(index);
        const auto texts = AlarmRowTexts(records_[index]);
        m_list.InsertItem(row, texts[0]);
        for (int column = 1; column < kAlarmRowColumns; ++column) {
            m_list.SetItemText(row, column, texts[static_cast<std::size_t>(column)]);
        }
    }
    if (CWnd* count = GetDlgItem(IDC_HISTORY_COUNT)) {
        count->SetWindowText("共 " + std::to_string(records_.size()) + " 条记录");
    }
}

void CAlarmHistoryDlg::OnExport() {
    if (records_.empty()) {
        MessageBox("没有可导出的记录!");
        return;
    }
    CFileDialog dialog(FALSE, "csv", "报警历史.csv", OFN_OVERWRITEPROMPT, "CSV 文件 (*.csv)|*.csv||", this);
    if (dialog.DoModal() != IDOK) return;
    std::string error;
    if (!WriteAlarmHistoryCsv(dialog.GetPathName(), records_, error)) MessageBox(error);
}
