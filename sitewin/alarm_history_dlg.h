#pragma once
// "报警历史": the journal's records from one date to another, exported as CSV.
#include <string>
#include <vector>

#include "alarms/alarm_event.h"
#include "ui/afxwin.h"

class CAlarmHistoryDlg : public CDialog {
public:
    CAlarmHistoryDlg(std::string journalPath, CWnd* parent = nullptr);

    std::string m_from;  // the last seven days, today included
    std::string m_to;
    CListCtrl m_list;

    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnQuery();
    void OnExport();
    const std::vector<AlarmEvent>& Records() const { return records_; }

protected:
    const MessageMap& GetMessageMap() const override;

private:
    std::string journalPath_;
    std::vector<AlarmEvent> records_;
};
