#pragma once
// "通道限值": one channel's own limits; a blank field keeps the module's or the site's value.
#include <string>

#include "alarms/alarm_limits.h"
#include "sitewin/alarm_limits_file.h"
#include "ui/afxwin.h"

class CAlarmLimitsDlg : public CDialog {
public:
    // `effective`: the line that says what holds now, all levels taken together.
    CAlarmLimitsDlg(std::string channel, const AlarmLimitKeys& keys, std::string effective = {},
                    CWnd* parent = nullptr);

    AlarmLimitTexts m_texts;

    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnOK() override;
    // The keys accepted by 保存.
    const AlarmLimitKeys& Keys() const { return keys_; }

private:
    std::string channel_;
    std::string effective_;
    AlarmLimitKeys keys_;
};
