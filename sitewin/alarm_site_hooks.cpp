// The site window's handlers of its alarm parts: each hands over to SiteAlarms.
#include "sitewin/alarm_site.h"
#include "sitewin/site_dlg.h"

void CSiteDlg::OnAlarmList() { alarms_->OpenList(); }
void CSiteDlg::OnAlarmHistory() { alarms_->OpenHistory(); }
void CSiteDlg::OnAlarmLimits() { alarms_->EditLimits(); }
void CSiteDlg::OnAlarmBell() { alarms_->SetBell(!alarms_->BellOn()); }

LRESULT CSiteDlg::OnSiteAlarms(WPARAM, LPARAM) {
    alarms_->TakeChanges();
    return 0;
}
