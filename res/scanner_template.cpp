#include "res/dialog_templates.h"
#include "res/resource.h"

namespace {

using K = ControlKind;
constexpr unsigned kUpper = kStyleUpperCase;

}  // namespace

const DialogTemplate& ScannerDialogTemplate() {
    static const DialogTemplate tpl{
        .id = IDD_SCANNER_DIALOG,
        .caption = "QEV-K7R2 温度循检仪测试软件 Ver3.01",
        .cx = 308,
        .cy = 367,
        .minimizeBox = true,
        .showInTaskbar = true,
        .controls =
            {
                {IDC_PORT, K::Edit, "", 34, 8, 19, 14},
                {kNoId, K::Static, "串口号:", 3, 10, 29, 8},
                {kNoId, K::GroupBox, "", 0, 0, 305, 23, kStyleNone, "通信设置"},
                {kNoId, K::Static, "波特率:", 59, 10, 29, 8},
                {IDC_BAUD, K::ComboDropList, "", 91, 7, 48, 64},
                {kNoId, K::Static, "通信地址:", 143, 10, 37, 8},
                {IDC_ADDRESS, K::Edit, "", 182, 8, 26, 14},
                {kNoId, K::Static, "设置信号数:", 2, 30, 45, 8},
                {IDC_SIGNAL_COUNT, K::Edit, "", 52, 28, 21, 12},
                {IDC_SET_SIGNAL_COUNT, K::PushButton, "设置", 76, 28, 26, 12},
                {kNoId, K::Static, "读取SN号:", 115, 31, 37, 8},
                {IDC_SN_INDEX, K::Edit, "", 154, 29, 22, 12},
                {IDC_READ_SN, K::PushButton, "读取", 181, 29, 27, 11},
                {kNoId, K::GroupBox, "探头注册", 0, 45, 305, 52},
                {IDC_MODE_SEMI_AUTO, K::RadioButton, "半自动", 11, 55, 40, 10, kStyleGroup},
                {IDC_MODE_MANUAL, K::RadioButton, "手动", 52, 55, 32, 10},
                {IDC_MODE_FULL_AUTO, K::RadioButton, "全自动", 88, 55, 40, 10},
                {kNoId, K::Static, "通道号:", 130, 56, 29, 8, kStyleGroup},
                {IDC_CHANNEL, K::Edit, "", 164, 54, 17, 12},
                {IDC_REGISTER, K::PushButton, "注册", 247, 56, 38, 12},
                {kNoId, K::Static, "SN号:", 10, 80, 20, 8},
                {IDC_SN_BYTE1, K::Edit, "", 33, 78, 18, 14, kUpper},
                {IDC_SN_BYTE2, K::Edit, "", 58, 78, 18, 14, kUpper, "SN号第2字节"},
                {IDC_SN_BYTE3, K::Edit, "", 82, 78, 18, 14, kUpper, "SN号第3字节"},
                {IDC_SN_BYTE4, K::Edit, "", 106, 78, 18, 14, kUpper, "SN号第4字节"},
                {IDC_SN_BYTE5, K::Edit, "", 130, 78, 18, 14, kUpper, "SN号第5字节"},
                {IDC_SN_BYTE6, K::Edit, "", 154, 78, 18, 14, kUpper, "SN号第6字节"},
                {IDC_SN_BYTE7, K::Edit, "", 179, 78, 18, 14, kUpper, "SN号第7字节"},
                {IDC_SN_BYTE8, K::Edit, "", 203, 78, 18, 14, kUpper, "SN号第8字节"},
                {kNoId, K::Static, "采集周期:", 10, 100, 37, 12},
                {IDC_PERIOD, K::Edit, "", 50, 100, 26, 12},
                {kNoId, K::Static, "ms", 79, 100, 9, 12},
                {kNoId, K::Static, "成功次数:", 91, 100, 37, 12},
                {IDC_OK_COUNT, K::Static, "0", 131, 100, 20, 12},
                {kNoId, K::Static, "失败次数:", 154, 100, 37, 12},
                {IDC_FAIL_COUNT, K::Static, "0", 194, 100, 20, 12},
                {IDC_SINGLE_ACQUISITION, K::PushButton, "单次采集", 217, 100, 37, 12},
                {IDC_CONTINUOUS_ACQUISITION, K::PushButton, "连续采集", 257, 100, 37, 12},
                {IDC_LIST_LEFT, K::ListView, "", 0, 117, 98, 245, kStyleNone, "温度1-26"},
                {IDC_LIST_MIDDLE, K::ListView, "", 102, 117, 98, 245, kStyleNone, "温度27-52"},
                {IDC_FILE_REGISTER, K::PushButton, "文件注册", 247, 75, 37, 12},
                {IDC_PT100_SETTINGS, K::PushButton, "PT100参数设置", 227, 27, 59, 14},
                {IDC_LIST_RIGHT, K::ListView, "", 204, 117, 98, 245, kStyleNone,
                 "PT100温度与温度53-64"},
            },
        .comboItems = {{IDC_BAUD, {"1200", "9600", "19200", "38400"}}},
    };
    return tpl;
}
