#include "ui/qt/accessible_names.h"

#include <QComboBox>
#include <QLabel>

#include "ui/qt/widget_text.h"

namespace {

const char* const kOwnText = "k7r2_named_by_text";
const char* const kShowsMnemonics = "k7r2_shows_mnemonics";
const char* const kLabelled = "k7r2_named_by_label";

void SetNameIfChanged(QWidget* widget, const QString& name) {
    if (widget->accessibleName() != name) widget->setAccessibleName(name);
}

QString OwnName(QWidget* control) {
    const QString text = WidgetText(control);
    return control->property(kShowsMnemonics).toBool() ? text : StripMnemonics(text);
}

}  // namespace

void NameAfterOwnText(QWidget* control, bool showsMnemonics) {
    control->setProperty(kOwnText, true);
    control->setProperty(kShowsMnemonics, showsMnemonics);
    SetNameIfChanged(control, OwnName(control));
}

void NameAfterLabel(QWidget* field, QLabel* label) {
    // A label is one field's: a second field below it must not take it from the first (a combo
    // box would lose its labelled-by relation).
    if (label->buddy() != nullptr && label->buddy() != field) return;
    label->setBuddy(field);
    // Qt's own combo box interface names the combo by its current text on this platform and
    // reports the buddy as its label (labelled-by), so a reader says "label: value". Its name
    // must stay unset, or it would hide the value.
    if (qobject_cast<QComboBox*>(field) != nullptr) return;
    field->setProperty(kLabelled, true);
    SetNameIfChanged(field, label->text());
}

void TextChanged(QWidget* widget) {
    if (widget == nullptr) return;
    if (widget->property(kOwnText).toBool()) SetNameIfChanged(widget, OwnName(widget));
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        QWidget* field = label->buddy();
        if (field != nullptr && field->property(kLabelled).toBool()) {
            SetNameIfChanged(field, label->text());
        }
    }
}
