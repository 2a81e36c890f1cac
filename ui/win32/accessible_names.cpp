#include "ui/win32/dialog_widget.h"

#include "ui/accessible_naming.h"
#include "ui/win32/accessible_names.h"

#include <iterator>

void SetAccessibleNames(const DialogWidget& dialog) {
    // Buttons, radios and texts are named by their captions by the system itself, and follow
    // every later change; fields would be named after the control before them in tab order, so
    // they get the label beside them (or their fixed name) as an annotation.
    IAccPropServices* services = nullptr;
    if (FAILED(::CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_IAccPropServices, reinterpret_cast<void**>(&services))) ||
        services == nullptr) {
        return;  // no accessibility support on this system
    }
    const DialogTemplate& tpl = dialog.Template();
    const std::vector<AccessibleNaming> names = AccessibleNamesOf(tpl);
    for (std::size_t i = 0; i < names.size(); ++i) {
        const ControlTemplate& ctl = tpl.controls[i];
        const bool fixed = !ctl.accessibleName.empty();
        if (names[i].name.empty() || (!fixed && !IsLabelledField(ctl.kind))) continue;
        NativeHwnd control = dialog.Control(ctl.id);
        if (control == nullptr) continue;
        const std::wstring name = Wide(names[i].name);
        services->SetHwndPropStr(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                 PROPID_ACC_NAME, name.c_str());
    }
    services->Release();
}

void NameLabelEditor(NativeHwnd list) {
    const auto editor = reinterpret_cast<NativeHwnd>(::SendMessageW(list, LVM_GETEDITCONTROL, 0, 0));
    if (editor == nullptr) return;
    wchar_t heading[128] = {};
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT;
    column.pszText = heading;
    column.cchTextMax = static_cast<int>(std::size(heading));
    if (::SendMessageW(list, LVM_GETCOLUMNW, 0, reinterpret_cast<LPARAM>(&column)) == 0) return;
    IAccPropServices* services = nullptr;
    if (FAILED(::CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_IAccPropServices, reinterpret_cast<void**>(&services))) ||
        services == nullptr) {
        return;
    }
    services->SetHwndPropStr(editor, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                             PROPID_ACC_NAME, heading);
    services->Release();
}
