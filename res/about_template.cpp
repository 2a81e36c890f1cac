#include "res/dialog_templates.h"
#include "res/resource.h"

const DialogTemplate& AboutBoxTemplate() {
    static const DialogTemplate tpl{
        .id = IDD_ABOUTBOX,
        .caption = "关于 QEV_K7R",
        .cx = 235,
        .cy = 55,
        .controls =
            {
                {kNoId, ControlKind::Icon, "128", 11, 17, 20, 20, kStyleNone, "程序图标"},
                {kNoId, ControlKind::Static, "QEV_K7R2 3.01 版", 40, 10, 119, 8, kStyleNoPrefix},
                {1, ControlKind::DefPushButton, "确定", 178, 7, 50, 14, kStyleGroup},
            },
        .comboItems = {},
    };
    return tpl;
}
