// The controls as the data exchange reads and writes them, over native dialog controls.
#include "ui/win32/dialog_widget.h"

#include "ui/data_exchange_controls.h"
#include "ui/dialog.h"
#include "ui/win32/message_box.h"

namespace {

DialogWidget* WidgetOf(CDialog& dialog) { return DialogWidget::FromHwnd(dialog.GetWidget()); }

}  // namespace

NativeWidget* DialogControl(CDialog& dialog, int id) {
    DialogWidget* widget = WidgetOf(dialog);
    return widget != nullptr ? widget->Control(id) : nullptr;
}

std::string ControlText(NativeWidget* control) { return WindowTextOf(control); }

void SetControlTextIfChanged(NativeWidget* control, const std::string& text) {
    if (WindowTextOf(control) != text) ::SetWindowTextW(control, Wide(text).c_str());
}

bool IsComboBox(NativeWidget* control) {
    wchar_t name[16] = {};
    ::GetClassNameW(control, name, 16);
    return ::lstrcmpiW(name, L"ComboBox") == 0;
}

int FindComboItem(NativeWidget* combo, const std::string& prefix) {
    const std::wstring wide = Wide(prefix);
    const LRESULT found = ::SendMessageW(combo, CB_FINDSTRING, static_cast<WPARAM>(-1),
                                         reinterpret_cast<LPARAM>(wide.c_str()));
    return found == CB_ERR ? CB_ERR : static_cast<int>(found);
}

void SetComboSelection(NativeWidget* combo, int index) {
    ::SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

bool ComboTakesTypedText(NativeWidget* combo) {
    return (::GetWindowLongPtrW(combo, GWL_STYLE) & 0x3) != CBS_DROPDOWNLIST;
}

void SetComboTypedText(NativeWidget* combo, const std::string& text) {
    ::SetWindowTextW(combo, Wide(text).c_str());
}

std::vector<NativeWidget*> RadioGroupFrom(CDialog& dialog, int firstId) {
    DialogWidget* widget = WidgetOf(dialog);
    return widget != nullptr ? widget->RadioGroupFrom(firstId) : std::vector<NativeWidget*>{};
}

bool IsRadioChecked(NativeWidget* radio) {
    return ::SendMessageW(radio, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void CheckRadioAt(const std::vector<NativeWidget*>& group, int index) {
    for (std::size_t i = 0; i < group.size(); ++i) {
        ::SendMessageW(group[i], BM_SETCHECK,
                       static_cast<int>(i) == index ? BST_CHECKED : BST_UNCHECKED, 0);
    }
}

void ShowValidationMessage(CDialog& dialog, const std::string& text, UINT type) {
    ShowMessageBox(dialog.GetWidget(), text, ApplicationCaption(), type);
}

void RefocusFailedField(CDialog& dialog, NativeWidget* control) {
    ::SendMessageW(WidgetOf(dialog)->Hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), 1);
    ::SendMessageW(control, EM_SETSEL, 0, -1);
    if (NativeHwnd comboEdit = ::GetWindow(control, GW_CHILD)) {
        ::SendMessageW(comboEdit, EM_SETSEL, 0, -1);
    }
}
