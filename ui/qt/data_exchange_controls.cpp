// The controls as the data exchange reads and writes them, over Qt widgets.
#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>

#include "ui/data_exchange_controls.h"
#include "ui/dialog.h"
#include "ui/qt/control_widgets.h"
#include "ui/qt/dialog_widget.h"
#include "ui/qt/message_box.h"
#include "ui/qt/widget_text.h"

namespace {

DialogWidget* WidgetOf(CDialog& dialog) { return static_cast<DialogWidget*>(dialog.GetWidget()); }

}  // namespace

NativeWidget* DialogControl(CDialog& dialog, int id) {
    DialogWidget* widget = WidgetOf(dialog);
    return widget != nullptr ? widget->Control(id) : nullptr;
}

std::string ControlText(NativeWidget* control) { return WidgetText(control).toStdString(); }

void SetControlTextIfChanged(NativeWidget* control, const std::string& text) {
    SetWidgetTextIfChanged(control, QString::fromStdString(text));
}

bool IsComboBox(NativeWidget* control) { return qobject_cast<ComboWidget*>(control) != nullptr; }

int FindComboItem(NativeWidget* combo, const std::string& prefix) {
    return static_cast<ComboWidget*>(combo)->FindPrefix(-1, QString::fromStdString(prefix));
}

void SetComboSelection(NativeWidget* combo, int index) {
    static_cast<ComboWidget*>(combo)->SetCurSel(index);
}

bool ComboTakesTypedText(NativeWidget* combo) {
    return static_cast<ComboWidget*>(combo)->isEditable();
}

void SetComboTypedText(NativeWidget* combo, const std::string& text) {
    static_cast<ComboWidget*>(combo)->setEditText(QString::fromStdString(text));
}

std::vector<NativeWidget*> RadioGroupFrom(CDialog& dialog, int firstId) {
    DialogWidget* widget = WidgetOf(dialog);
    if (widget == nullptr) return {};
    const std::vector<QAbstractButton*> buttons = widget->RadioGroupFrom(firstId);
    return {buttons.begin(), buttons.end()};
}

bool IsRadioChecked(NativeWidget* radio) {
    return static_cast<QAbstractButton*>(radio)->isChecked();
}

void CheckRadioAt(const std::vector<NativeWidget*>& group, int index) {
    std::vector<QAbstractButton*> buttons;
    buttons.reserve(group.size());
    for (NativeWidget* radio : group) buttons.push_back(static_cast<QAbstractButton*>(radio));
    DialogWidget::CheckRadio(buttons, index);
}

void ShowValidationMessage(CDialog& dialog, const std::string& text, UINT type) {
    ShowMessageBox(WidgetOf(dialog), text, ApplicationCaption(), type);
}

void RefocusFailedField(CDialog& /*dialog*/, NativeWidget* control) {
    control->setFocus(Qt::OtherFocusReason);
    if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        edit->selectAll();
    } else if (auto* combo = qobject_cast<QComboBox*>(control); combo && combo->lineEdit()) {
        combo->lineEdit()->selectAll();
    }
}
