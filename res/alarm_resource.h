#pragma once
// Ids of the alarm parts of the site window and of its alarm dialogs.

// The site window's 报警 menu and its alarm overview.
constexpr int ID_ALARM_LIST = 32800;
constexpr int ID_ALARM_HISTORY = 32801;
constexpr int ID_ALARM_LIMITS = 32802;
constexpr int ID_ALARM_BELL = 32803;
constexpr int IDC_SITE_ALARM_MAP = 1720;
constexpr int IDC_SITE_ALARM_STATUS = 1721;

// The alarm list "报警" (modeless).
constexpr int IDD_ALARM_LIST = 171;
constexpr int IDC_ALARM_FILTER = 1730;
constexpr int IDC_ALARM_COUNT = 1731;
constexpr int IDC_ALARM_LIST = 1732;
constexpr int IDC_ALARM_ACK = 1733;
constexpr int IDC_ALARM_ACK_ALL = 1734;
constexpr int IDC_ALARM_BELL = 1735;

// The journal's history for a date range.
constexpr int IDD_ALARM_HISTORY = 172;
constexpr int IDC_HISTORY_FROM = 1740;
constexpr int IDC_HISTORY_TO = 1741;
constexpr int IDC_HISTORY_QUERY = 1742;
constexpr int IDC_HISTORY_COUNT = 1743;
constexpr int IDC_HISTORY_LIST = 1744;
constexpr int IDC_HISTORY_EXPORT = 1745;

// One channel's limits.
constexpr int IDD_ALARM_LIMITS = 173;
constexpr int IDC_LIMITS_CHANNEL = 1750;
constexpr int IDC_LIMITS_HIGH = 1751;
constexpr int IDC_LIMITS_LOW = 1752;
constexpr int IDC_LIMITS_DEADBAND = 1753;
constexpr int IDC_LIMITS_DELAY = 1754;
constexpr int IDC_LIMITS_RISE = 1755;
constexpr int IDC_LIMITS_WINDOW = 1756;
constexpr int IDC_LIMITS_EFFECTIVE = 1757;
