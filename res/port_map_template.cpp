#include "res/dialog_templates.h"
#include "res/resource.h"

namespace {

using K = ControlKind;

}  // namespace

// The adapters present above, the COMn links below, and the row that maps or unmaps one;
// "关闭" is the Cancel button (2).
const DialogTemplate& PortMapDialogTemplate() {
    static const DialogTemplate tpl{
        .id = IDD_PORT_MAP,
        .caption = "串口映射",
        .cx = 330,
        .cy = 236,
        .controls =
            {
                {kNoId, K::Static, "串口设备:", 7, 7, 60, 8},
                {IDC_PORTMAP_DEVICES, K::ListView, "", 7, 17, 316, 80},
                {kNoId, K::Static, "端口链接:", 7, 103, 60, 8},
                {IDC_PORTMAP_LINKS, K::ListView, "", 7, 113, 316, 72},
                {kNoId, K::Static, "设备:", 7, 195, 22, 8},
                {IDC_PORTMAP_DEVICE, K::ComboDropList, "", 31, 193, 170, 80, kStyleGroup},
                {kNoId, K::Static, "串口号:", 208, 195, 30, 8},
                {IDC_PORTMAP_NUMBER, K::Edit, "", 240, 193, 28, 14},
                {IDC_PORTMAP_LINK, K::DefPushButton, "映射", 7, 215, 60, 14, kStyleGroup},
                {IDC_PORTMAP_UNLINK, K::PushButton, "删除映射", 73, 215, 60, 14},
                {IDC_PORTMAP_REFRESH, K::PushButton, "刷新", 139, 215, 60, 14},
                {2, K::PushButton, "关闭", 263, 215, 60, 14},
            },
        .comboItems = {},
    };
    return tpl;
}
