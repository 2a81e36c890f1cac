#pragma once
// "报警": the site's alarms that are not normal, newest first, filtered by state; checked rows
// are acknowledged with 确认, every one with 全部确认. Modeless, and kept current by the site
// window as changes arrive.
#include <cstdint>
#include <vector>

#include "ui/afxwin.h"

class SiteAlarms;

class CAlarmListDlg : public CDialog {
public:
    CAlarmListDlg(SiteAlarms& alarms, CWnd* parent = nullptr);

    CComboBox m_comboFilter;
    CListCtrl m_list;
    CButton m_btnBell;

    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void Refresh();
    // The alarm id of each row as shown.
    const std::vector<std::uint64_t>& RowIds() const { return rowIds_; }

    void OnFilter();
    void OnAck();
    void OnAckAll();
    void OnBell();

protected:
    const MessageMap& GetMessageMap() const override;

private:
    SiteAlarms& alarms_;
    std::vector<std::uint64_t> rowIds_;
};
