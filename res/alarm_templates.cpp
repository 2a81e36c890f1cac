#include "res/alarm_templates.h"

#include "res/alarm_resource.h"

namespace {

using K = ControlKind;
constexpr int kOverviewHeight = 64;  // dialog units the site window grows by

}  // namespace

// The overview goes between the channel's name row and "关闭", which moves down with the
// window's bottom edge.
DialogTemplate SiteTemplateWithAlarms(const DialogTemplate& site) {
    DialogTemplate tpl = site;
    int closeY = tpl.cy;
    for (ControlTemplate& control : tpl.controls) {
        if (control.id == 2) {
            closeY = control.y;
            control.y += kOverviewHeight;
        }
    }
    tpl.cy += kOverviewHeight;
    auto close = tpl.controls.end();
    for (auto it = tpl.controls.begin(); it != tpl.controls.end(); ++it) {
        if (it->id == 2) close = it;
    }
    const std::vector<ControlTemplate> overview = {
        {kNoId, K::Static, "报警概览 (每行一个模块, 每格一个通道):", 7, closeY, 200, 8},
        {IDC_SITE_ALARM_STATUS, K::Static, "报警: 无", 213, closeY, 200, 8},
        {IDC_SITE_ALARM_MAP, K::Custom, "", 7, closeY + 10, 406, kOverviewHeight - 4,
         kStyleGroup, "报警概览", "K7R2AlarmMap"},
    };
    tpl.controls.insert(close, overview.begin(), overview.end());
    return tpl;
}

// Alarms not yet normal, filtered by state; rows are checked to be acknowledged.
const DialogTemplate& AlarmListTemplate() {
    static const DialogTemplate tpl{
        .id = IDD_ALARM_LIST,
        .caption = "报警",
        .cx = 540,
        .cy = 250,
        .minimizeBox = true,
        .showInTaskbar = true,
        .controls =
            {
                {kNoId, K::Static, "显示:", 7, 9, 24, 8},
                {IDC_ALARM_FILTER, K::ComboDropList, "", 33, 7, 100, 100, kStyleGroup},
                {IDC_ALARM_COUNT, K::Static, "共 0 个", 141, 9, 392, 8},
                {kNoId, K::Static, "报警:", 7, 25, 60, 8},
                {IDC_ALARM_LIST, K::ListView, "", 7, 35, 526, 185, kStyleGroup},
                {IDC_ALARM_ACK, K::PushButton, "确认", 7, 228, 58, 14, kStyleGroup},
                {IDC_ALARM_ACK_ALL, K::PushButton, "全部确认", 71, 228, 58, 14},
                {IDC_ALARM_BELL, K::PushButton, "关闭报警声音", 135, 228, 70, 14},
                {2, K::PushButton, "关闭", 475, 228, 58, 14, kStyleGroup},
            },
        .comboItems = {{IDC_ALARM_FILTER,
                        {"全部", "未确认", "报警未确认", "报警已确认", "恢复未确认"}}},
    };
    return tpl;
}

const DialogTemplate& AlarmHistoryTemplate() {
    static const DialogTemplate tpl{
        .id = IDD_ALARM_HISTORY,
        .caption = "报警历史",
        .cx = 540,
        .cy = 250,
        .controls =
            {
                {kNoId, K::Static, "从:", 7, 9, 14, 8},
                {IDC_HISTORY_FROM, K::Edit, "", 23, 7, 60, 14, kStyleGroup},
                {kNoId, K::Static, "到:", 89, 9, 14, 8},
                {IDC_HISTORY_TO, K::Edit, "", 105, 7, 60, 14},
                {IDC_HISTORY_QUERY, K::DefPushButton, "查询", 171, 7, 50, 14},
                {IDC_HISTORY_COUNT, K::Static, "", 227, 9, 306, 8},
                {kNoId, K::Static, "记录:", 7, 26, 60, 8},
                {IDC_HISTORY_LIST, K::ListView, "", 7, 36, 526, 184, kStyleGroup},
                {IDC_HISTORY_EXPORT, K::PushButton, "导出…", 7, 228, 58, 14, kStyleGroup},
                {2, K::PushButton, "关闭", 475, 228, 58, 14},
            },
        .comboItems = {},
    };
    return tpl;
}

// A blank field keeps the module's or the site's value.
const DialogTemplate& AlarmLimitsTemplate() {
    static const DialogTemplate tpl{
        .id = IDD_ALARM_LIMITS,
        .caption = "通道限值",
        .cx = 220,
        .cy = 163,
        .controls =
            {
                {IDC_LIMITS_CHANNEL, K::Static, "", 7, 7, 206, 8},
                {IDC_LIMITS_EFFECTIVE, K::Static, "", 7, 19, 206, 8},
                {kNoId, K::Static, "上限(°C):", 7, 36, 70, 8},
                {IDC_LIMITS_HIGH, K::Edit, "", 80, 34, 60, 14, kStyleGroup},
                {kNoId, K::Static, "下限(°C):", 7, 53, 70, 8},
                {IDC_LIMITS_LOW, K::Edit, "", 80, 51, 60, 14},
                {kNoId, K::Static, "回差(°C):", 7, 70, 70, 8},
                {IDC_LIMITS_DEADBAND, K::Edit, "", 80, 68, 60, 14},
                {kNoId, K::Static, "延时(次):", 7, 87, 70, 8},
                {IDC_LIMITS_DELAY, K::Edit, "", 80, 85, 60, 14},
                {kNoId, K::Static, "温升速率(°C):", 7, 104, 70, 8},
                {IDC_LIMITS_RISE, K::Edit, "", 80, 102, 60, 14},
                {kNoId, K::Static, "温升窗口(小时):", 7, 121, 70, 8},
                {IDC_LIMITS_WINDOW, K::Edit, "", 80, 119, 60, 14},
                {kNoId, K::Static, "留空: 沿用模块或站点的设置", 146, 36, 67, 40},
                {1, K::DefPushButton, "保存", 97, 142, 55, 14, kStyleGroup},
                {2, K::PushButton, "取消", 158, 142, 55, 14},
            },
        .comboItems = {},
    };
    return tpl;
}
