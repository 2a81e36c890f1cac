#include "res/dialog_templates.h"
#include "res/resource.h"

namespace {

using K = ControlKind;

}  // namespace

// No OK or Cancel button and no default button: Enter outside a push button ends the dialog.
const DialogTemplate& Pt100DialogTemplate() {
    static const DialogTemplate tpl{
        .id = IDD_PT100_DIALOG,
        .caption = "PT100参数设置",
        .cx = 256,
        .cy = 299,
        .controls =
            {
                {IDC_PT100_READ_TEMPS, K::PushButton, "读取温度", 173, 113, 41, 14},
                {IDC_PT100_READ_PARAMS, K::PushButton, "读取参数", 131, 9, 71, 14},
                {IDC_PT100_ZERO_AD, K::Edit, "", 72, 30, 40, 14},
                {kNoId, K::Static, "电路零位AD值", 10, 32, 49, 8},
                {kNoId, K::Static, "温度1", 23, 118, 21, 8},
                {IDC_PT100_TEMP1, K::Edit, "", 50, 115, 40, 14},
                {IDC_PT100_CAL_ZERO, K::PushButton, "校正", 131, 30, 71, 14},
                {kNoId, K::Static, "通道", 35, 12, 17, 8},
                {IDC_PT100_CHANNEL, K::ComboDropDown, "", 72, 9, 48, 59},
                {IDC_PT100_SET_OFFSET, K::PushButton, "设置温度偏移量", 131, 51, 71, 14},
                {kNoId, K::Static, "日志", 14, 153, 17, 8},
                {IDC_PT100_OFFSET, K::Edit, "", 72, 49, 40, 14},
                {kNoId, K::Static, "温度偏移量(℃)", 8, 51, 57, 8},
                {IDC_PT100_RES1_AD, K::Edit, "", 72, 67, 40, 14},
                {kNoId, K::Static, "电阻1的标定AD值", 8, 69, 61, 8},
                {IDC_PT100_RES2_AD, K::Edit, "", 71, 85, 40, 14},
                {kNoId, K::Static, "电阻2的标定AD值", 8, 87, 61, 8},
                {IDC_PT100_CAL_RES1, K::PushButton, "校正", 131, 68, 71, 14},
                {IDC_PT100_CAL_RES2, K::PushButton, "校正", 132, 86, 71, 14},
                {kNoId, K::Static, "温度2", 101, 116, 21, 8},
                {IDC_PT100_TEMP2, K::Edit, "", 128, 113, 40, 14},
                {kNoId, K::Static, "温度3", 22, 137, 21, 8},
                {IDC_PT100_TEMP3, K::Edit, "", 48, 136, 40, 14},
                {kNoId, K::Static, "温度4", 102, 140, 21, 8},
                {IDC_PT100_TEMP4, K::Edit, "", 129, 137, 40, 14},
                {IDC_PT100_LOG, K::ListBox, "", 14, 167, 222, 119, kStyleVScroll},
                {IDC_PT100_SAVE_LOG, K::PushButton, "保存日志", 139, 154, 50, 14},
                {IDC_PT100_CLEAR_LOG, K::PushButton, "清除日志", 78, 154, 50, 14},
                {IDC_PT100_OFFSET_SPIN, K::Spin, "", 111, 50, 10, 14, kStyleSpinArrowKeys,
                 "温度偏移量调节"},
            },
        .comboItems = {{IDC_PT100_CHANNEL, {"1", "2", "3", "4"}}},
    };
    return tpl;
}
