#include "res/dialog_templates.h"
#include "res/resource.h"

namespace {

using K = ControlKind;

}  // namespace

// The span and the chart's buttons above, the chart on the left, the channels with their
// statistics on the right. Non-modal; the close box ends it.
const DialogTemplate& TrendDialogTemplate() {
    static const DialogTemplate tpl{
        .id = IDD_TREND,
        .caption = "温度趋势",
        .cx = 640,
        .cy = 400,
        .minimizeBox = true,
        .showInTaskbar = true,
        .controls =
            {
                {kNoId, K::Static, "跨度:", 7, 9, 26, 8},
                {IDC_TREND_SPAN_1MIN, K::RadioButton, "1 分钟", 35, 7, 40, 12, kStyleGroup},
                {IDC_TREND_SPAN_10MIN, K::RadioButton, "10 分钟", 77, 7, 44, 12},
                {IDC_TREND_SPAN_1H, K::RadioButton, "1 小时", 123, 7, 40, 12},
                {IDC_TREND_SPAN_ALL, K::RadioButton, "全部", 165, 7, 36, 12},
                {IDC_TREND_PAUSE, K::PushButton, "暂停", 504, 6, 58, 14, kStyleGroup},
                {IDC_TREND_EXPORT, K::PushButton, "导出图片…", 568, 6, 65, 14},
                {IDC_TREND_CHART, K::Custom, "", 7, 26, 347, 367, kStyleGroup, "温度趋势图",
                 "K7R2Chart"},
                {IDC_TREND_CHANNELS, K::ListView, "", 361, 26, 272, 346, kStyleGroup, "通道"},
                {IDC_TREND_SELECT_ALL, K::PushButton, "全选", 361, 379, 50, 14, kStyleGroup},
                {IDC_TREND_SELECT_NONE, K::PushButton, "全不选", 417, 379, 50, 14},
            },
        .comboItems = {},
    };
    return tpl;
}
