#pragma once
#include "ui/dialog_template.h"

// The site window with its alarm overview below the channels.
DialogTemplate SiteTemplateWithAlarms(const DialogTemplate& site);
const DialogTemplate& AlarmListTemplate();     // 171
const DialogTemplate& AlarmHistoryTemplate();  // 172
const DialogTemplate& AlarmLimitsTemplate();   // 173
