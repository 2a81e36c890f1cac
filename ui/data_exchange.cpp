// The data exchange between a dialog's members and its controls, and the validation of what the
// operator typed: the same texts, message boxes and focus on every platform.
#include <cstddef>
#include <cstdio>
#include <vector>

#include "ui/data_exchange_controls.h"
#include "ui/dialog.h"
#include "ui/text_parse.h"

namespace {

// The message comes first, then the exchange fails and the field takes the focus back.
void Complain(CDataExchange* pDX, const std::string& text, UINT type) {
    ShowValidationMessage(*pDX->m_pDlgWnd, text, type);
    pDX->Fail();
}

}  // namespace

NativeWidget* CDataExchange::PrepareCtrl(int id) {
    m_idLastControl = id;
    return DialogControl(*m_pDlgWnd, id);
}

void CDataExchange::Fail() {
    failed_ = true;
    if (!m_bSaveAndValidate) return;
    NativeWidget* control = DialogControl(*m_pDlgWnd, m_idLastControl);
    if (control != nullptr) RefocusFailedField(*m_pDlgWnd, control);
}

void DDX_Control(CDataExchange* pDX, int id, CWnd& control) {
    if (pDX->Failed()) return;
    NativeWidget* widget = pDX->PrepareCtrl(id);
    if (widget == nullptr || control.GetWidget() == widget) return;
    control.Attach(widget);
    pDX->m_pDlgWnd->attached_.push_back(&control);
}

void DDX_Text(CDataExchange* pDX, int id, int& value) {
    if (pDX->Failed()) return;
    NativeWidget* widget = pDX->PrepareCtrl(id);
    if (widget == nullptr) return;
    if (!pDX->m_bSaveAndValidate) {
        char text[32];
        std::snprintf(text, sizeof text, "%d", value);
        SetControlTextIfChanged(widget, text);
        return;
    }
    int parsed = 0;
    if (!ParseWholeInt(ControlText(widget), parsed)) {
        Complain(pDX, "请输入一个整数。", MB_OK);
        return;
    }
    value = parsed;
}

void DDX_Text(CDataExchange* pDX, int id, std::string& value) {
    if (pDX->Failed()) return;
    NativeWidget* widget = pDX->PrepareCtrl(id);
    if (widget == nullptr) return;
    if (pDX->m_bSaveAndValidate) {
        value = ControlText(widget);
    } else {
        SetControlTextIfChanged(widget, value);
    }
}

void DDX_CBString(CDataExchange* pDX, int id, std::string& value) {
    if (pDX->Failed()) return;
    NativeWidget* combo = pDX->PrepareCtrl(id);
    if (combo == nullptr || !IsComboBox(combo)) return;
    if (pDX->m_bSaveAndValidate) {
        value = ControlText(combo);
        return;
    }
    const int found = FindComboItem(combo, value);
    if (found != CB_ERR) {
        SetComboSelection(combo, found);
    } else if (ComboTakesTypedText(combo)) {
        SetComboTypedText(combo, value);
    }
    // A drop-down list without a matching item keeps its selection.
}

void DDX_Radio(CDataExchange* pDX, int id, int& value) {
    if (pDX->Failed()) return;
    if (pDX->PrepareCtrl(id) == nullptr) return;
    const std::vector<NativeWidget*> group = RadioGroupFrom(*pDX->m_pDlgWnd, id);
    if (!pDX->m_bSaveAndValidate) {
        CheckRadioAt(group, value);
        return;
    }
    value = -1;
    for (std::size_t i = 0; i < group.size(); ++i) {
        if (IsRadioChecked(group[i])) {
            value = static_cast<int>(i);
            break;
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
