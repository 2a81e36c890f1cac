#include "ui/win32/dialog_widget.h"

#include <cstdio>

#include "ui/dialog.h"
#include "ui/text_parse.h"
#include "ui/win32/message_box.h"

namespace {

DialogWidget* WidgetOf(CDataExchange* pDX) {
    return DialogWidget::FromHwnd(pDX->m_pDlgWnd->GetWidget());
}

// The framework's validation message: owned by the dialog, captioned with the application name.
void Complain(CDataExchange* pDX, const std::string& text, UINT type) {
    ShowMessageBox(pDX->m_pDlgWnd->GetWidget(), text, ApplicationCaption(), type);
    pDX->Fail();
}

// As the data exchange writes fields: only when the text differs, so nothing announces a change
// needlessly.
void SetTextIfChanged(NativeHwnd control, const std::string& text) {
    if (WindowTextOf(control) != text) ::SetWindowTextW(control, Wide(text).c_str());
}

bool IsComboDropList(NativeHwnd control) {
    return (::GetWindowLongPtrW(control, GWL_STYLE) & 0x3) == CBS_DROPDOWNLIST;
}

}  // namespace

NativeWidget* CDataExchange::PrepareCtrl(int id) {
    m_idLastControl = id;
    DialogWidget* dialog = WidgetOf(this);
    return dialog != nullptr ? dialog->Control(id) : nullptr;
}

void CDataExchange::Fail() {
    failed_ = true;
    if (!m_bSaveAndValidate) return;
    DialogWidget* dialog = WidgetOf(this);
    NativeHwnd control = dialog != nullptr ? dialog->Control(m_idLastControl) : nullptr;
    if (control == nullptr) return;
    // Back to the offending field, its text selected for retyping.
    ::SendMessageW(dialog->Hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), 1);
    ::SendMessageW(control, EM_SETSEL, 0, -1);
    if (NativeHwnd comboEdit = ::GetWindow(control, GW_CHILD)) {
        ::SendMessageW(comboEdit, EM_SETSEL, 0, -1);
    }
}

void DDX_Control(CDataExchange* pDX, int id, CWnd& control) {
    if (pDX->Failed()) return;
    NativeHwnd widget = pDX->PrepareCtrl(id);
    if (widget == nullptr || control.GetWidget() == widget) return;
    control.Attach(widget);
    pDX->m_pDlgWnd->attached_.push_back(&control);
}

void DDX_Text(CDataExchange* pDX, int id, int& value) {
    if (pDX->Failed()) return;
    NativeHwnd widget = pDX->PrepareCtrl(id);
    if (widget == nullptr) return;
    if (!pDX->m_bSaveAndValidate) {
        char text[32];
        std::snprintf(text, sizeof text, "%d", value);
        SetTextIfChanged(widget, text);
        return;
    }
    int parsed = 0;
    if (!ParseWholeInt(WindowTextOf(widget), parsed)) {
        Complain(pDX, "请输入一个整数。", MB_OK);
        return;
    }
    value = parsed;
}

void DDX_Text(CDataExchange* pDX, int id, std::string& value) {
    if (pDX->Failed()) return;
    NativeHwnd widget = pDX->PrepareCtrl(id);
    if (widget == nullptr) return;
    if (pDX->m_bSaveAndValidate) {
        value = WindowTextOf(widget);
    } else {
        SetTextIfChanged(widget, value);
    }
}

void DDX_CBString(CDataExchange* pDX, int id, std::string& value) {
    if (pDX->Failed()) return;
    NativeHwnd combo = pDX->PrepareCtrl(id);
    if (combo == nullptr) return;
    if (pDX->m_bSaveAndValidate) {
        value = WindowTextOf(combo);
        return;
    }
    const std::wstring wide = Wide(value);
    const LRESULT found = ::SendMessageW(combo, CB_FINDSTRING, static_cast<WPARAM>(-1),
                                         reinterpret_cast<LPARAM>(wide.c_str()));
    if (found != CB_ERR) {
        ::SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(found), 0);
    } else if (!IsComboDropList(combo)) {
        ::SetWindowTextW(combo, wide.c_str());
    }
    // A drop-down list without a matching item keeps its selection.
}

void DDX_Radio(CDataExchange* pDX, int id, int& value) {
    if (pDX->Failed()) return;
    if (pDX->PrepareCtrl(id) == nullptr) return;
    const std::vector<NativeHwnd> group = WidgetOf(pDX)->RadioGroupFrom(id);
    if (pDX->m_bSaveAndValidate) {
        value = -1;
        for (std::size_t i = 0; i < group.size(); ++i) {
            if (::SendMessageW(group[i], BM_GETCHECK, 0, 0) == BST_CHECKED) {
                value = static_cast<int>(i);
                break;
            }
        }
    } else {
        for (std::size_t i = 0; i < group.size(); ++i) {
            ::SendMessageW(group[i], BM_SETCHECK,
                           static_cast<int>(i) == value ? BST_CHECKED : BST_UNCHECKED, 0);
        }
    }
}

void DDV_MinMaxInt(CDataExchange* pDX, int value, int minValue, int maxValue) {
    if (pDX->Failed() || !pDX->m_bSaveAndValidate) return;
    if (value >= minValue && value <= maxValue) return;
    char text[128];
    std::snprintf(text, sizeof text, "请输入一个介于 %d 和 %d 之间的整数。", minValue, maxValue);
    Complain(pDX, text, MB_ICONEXCLAMATION);
}
