#include "res/dialog_templates.h"
#include "res/resource.h"

namespace {

using K = ControlKind;

}  // namespace

// On Windows the system numbers the ports itself: the window lists the ports present with their
// names and drivers, and maps nothing. "关闭" is the Cancel button (2).
const DialogTemplate& PortMapDialogTemplate() {
    static const DialogTemplate tpl{
        .id = IDD_PORT_MAP,
        .caption = "串口列表",
        .cx = 330,
        .cy = 190,
        .controls =
            {
                {kNoId, K::Static, "串口设备:", 7, 7, 60, 8},
                {IDC_PORTMAP_DEVICES, K::ListView, "", 7, 17, 316, 130},
                {kNoId, K::Static, "串口号由 Windows 分配, 可在设备管理器中更改。", 7, 153, 316,
                 8},
                {IDC_PORTMAP_REFRESH, K::DefPushButton, "刷新", 7, 169, 60, 14, kStyleGroup},
                {2, K::PushButton, "关闭", 263, 169, 60, 14},
            },
        .comboItems = {},
    };
    return tpl;
}
