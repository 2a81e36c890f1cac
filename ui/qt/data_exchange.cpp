#include <cstdio>

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>

#include "ui/qt/control_widgets.h"
#include "ui/dialog.h"
#include "ui/qt/dialog_widget.h"
#include "ui/qt/message_box.h"
#include "ui/text_parse.h"
#include "ui/qt/widget_text.h"

namespace {

DialogWidget* WidgetOf(CDataExchange* pDX) {
    return static_cast<DialogWidget*>(pDX->m_pDlgWnd->GetWidget());
}

// The framework's validation message: owned by the dialog, captioned with the application name.
void Complain(CDataExchange* pDX, const std::string& text, UINT type) {
    ShowMessageBox(WidgetOf(pDX), text, ApplicationCaption(), type);
    pDX->Fail();
}

}  // namespace

QWidget* CDataExchange::PrepareCtrl(int id) {
    m_idLastControl = id;
    DialogWidget* dialog = WidgetOf(this);
    return dialog != nullptr ? dialog->Control(id) : nullptr;
}

void CDataExchange::Fail() {
    failed_ = true;
    if (!m_bSaveAndValidate) return;
    DialogWidget* dialog = WidgetOf(this);
    QWidget* control = dialog != nullptr ? dialog->Control(m_idLastControl) : nullptr;
    if (control == nullptr) return;
    // Back to the offending field, its text selected for retyping.
    control->setFocus(Qt::OtherFocusReason);
    if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        edit->selectAll();
    } else if (auto* combo = qobject_cast<QComboBox*>(control); combo && combo->lineEdit()) {
        combo->lineEdit()->selectAll();
    }
}

void DDX_Control(CDataExchange* pDX, int id, CWnd& control) {
    if (pDX->Failed()) return;
    QWidget* widget = pDX->PrepareCtrl(id);
    if (widget == nullptr || control.GetWidget() == widget) return;
    control.Attach(widget);
    pDX->m_pDlgWnd->attached_.push_back(&control);
}

void DDX_Text(CDataExchange* pDX, int id, int& value) {
    if (pDX->Failed()) return;
    QWidget* widget = pDX->PrepareCtrl(id);
    if (widget == nullptr) return;
    if (!pDX->m_bSaveAndValidate) {
        char text[32];
        std::snprintf(text, sizeof text, "%d", value);
        SetWidgetTextIfChanged(widget, QString::fromLatin1(text));
        return;
    }
    int parsed = 0;
    if (!ParseWholeInt(WidgetText(widget).toStdString(), parsed)) {
        Complain(pDX, "请输入一个整数。", MB_OK);
        return;
    }
    value = parsed;
}

void DDX_Text(CDataExchange* pDX, int id, std::string& value) {
    if (pDX->Failed()) return;
    QWidget* widget = pDX->PrepareCtrl(id);
    if (widget == nullptr) return;
    if (pDX->m_bSaveAndValidate) {
        value = WidgetText(widget).toStdString();
    } else {
        SetWidgetTextIfChanged(widget, QString::fromStdString(value));
    }
}

void DDX_CBString(CDataExchange* pDX, int id, std::string& value) {
    if (pDX->Failed()) return;
    auto* combo = qobject_cast<ComboWidget*>(pDX->PrepareCtrl(id));
    if (combo == nullptr) return;
    if (pDX->m_bSaveAndValidate) {
        value = combo->currentText().toStdString();
        return;
    }
    const int found = combo->FindPrefix(-1, QString::fromStdString(value));
    if (found != CB_ERR) {
        combo->SetCurSel(found);
    } else if (combo->isEditable()) {
        combo->setEditText(QString::fromStdString(value));
    }
    // A drop-down list without a matching item keeps its selection.
}

void DDX_Radio(CDataExchange* pDX, int id, int& value) {
    if (pDX->Failed()) return;
    if (pDX->PrepareCtrl(id) == nullptr) return;
    const std::vector<QAbstractButton*> group = WidgetOf(pDX)->RadioGroupFrom(id);
    if (pDX->m_bSaveAndValidate) {
        value = -1;
        for (std::size_t i = 0; i < group.size(); ++i) {
            if (group[i]->isChecked()) {
                value = static_cast<int>(i);
                break;
            }
        }
    } else {
        DialogWidget::CheckRadio(group, value);
    }
}

void DDV_MinMaxInt(CDataExchange* pDX, int value, int minValue, int maxValue) {
    if (pDX->Failed() || !pDX->m_bSaveAndValidate) return;
    if (value >= minValue && value <= maxValue) return;
    char text[128];
    std::snprintf(text, sizeof text, "请输入一个介于 %d 和 %d 之间的整数。", minValue, maxValue);
    Complain(pDX, text, MB_ICONEXCLAMATION);
}
