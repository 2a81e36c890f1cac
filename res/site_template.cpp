#include "res/dialog_templates.h"
#include "res/resource.h"

namespace {

using K = ControlKind;

}  // namespace

// The site file on top, the module table, and the chosen module's channels, whose names are
// edited in place; "关闭" is the Cancel button (2).
const DialogTemplate& SiteDialogTemplate() {
    static const DialogTemplate tpl{
        .id = IDD_SITE,
        .caption = "站点监视",
        .cx = 420,
        .cy = 330,
        .controls =
            {
                {kNoId, K::Static, "站点文件:", 7, 9, 38, 8},
                {IDC_SITE_FILE, K::Edit, "", 47, 7, 238, 14, kStyleReadOnly},
                {IDC_SITE_OPEN, K::PushButton, "打开…", 291, 7, 58, 14, kStyleGroup},
                {IDC_SITE_NEW, K::PushButton, "新建…", 355, 7, 58, 14},
                {IDC_SITE_START, K::PushButton, "开始", 7, 26, 58, 14, kStyleGroup},
                {IDC_SITE_RECORD, K::PushButton, "开始记录", 71, 26, 58, 14},
                {IDC_SITE_STATUS, K::Static, "未运行", 137, 29, 276, 8},
                {kNoId, K::Static, "模块:", 7, 46, 60, 8},
                {IDC_SITE_MODULES, K::ListView, "", 7, 56, 406, 110},
                {kNoId, K::Static, "当前模块:", 7, 174, 38, 8},
                {IDC_SITE_MODULE, K::ComboDropList, "", 47, 172, 200, 120, kStyleGroup},
                {IDC_SITE_MAKE_CURRENT, K::PushButton, "设为当前模块", 253, 171, 70, 14},
                {kNoId, K::Static, "当前模块的通道 (名称: F2 或双击修改, 回车保存):", 7, 190, 220, 8},
                {IDC_SITE_CHANNELS, K::ListView, "", 7, 200, 406, 106, kStyleGroup | kStyleEditLabels},
                {2, K::PushButton, "关闭", 355, 312, 58, 14, kStyleGroup},
            },
        .comboItems = {},
    };
    return tpl;
}
