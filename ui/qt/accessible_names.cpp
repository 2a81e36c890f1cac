#include "ui/qt/accessible_names.h"

#include <QAccessibleWidget>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

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

class ComboAccessible : public QAccessibleWidget {
public:
    explicit ComboAccessible(QComboBox* combo) : QAccessibleWidget(combo, QAccessible::ComboBox) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value) return Combo()->currentText();
        return QAccessibleWidget::text(t);
    }
    QStringList actionNames() const override {
        return QStringList{showMenuAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& action) override {
        if (action == showMenuAction() || action == pressAction()) {
            Combo()->showPopup();
        } else {
            QAccessibleWidget::doAction(action);
        }
    }

private:
    QComboBox* Combo() const { return static_cast<QComboBox*>(widget()); }
};

QAccessibleInterface* ComboFactory(const QString& className, QObject* object) {
    if (className != QLatin1String("ComboWidget")) return nullptr;
    auto* combo = qobject_cast<QComboBox*>(object);
    return combo != nullptr ? new ComboAccessible(combo) : nullptr;
}

}  // namespace

void NameAfterOwnText(QWidget* control, bool showsMnemonics) {
    control->setProperty(kOwnText, true);
    control->setProperty(kShowsMnemonics, showsMnemonics);
    SetNameIfChanged(control, OwnName(control));
}

void NameAfterLabel(QWidget* field, QLabel* label) {
    label->setBuddy(field);
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

void InstallComboAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(ComboFactory);
        return true;
    }();
    (void)installed;
}
