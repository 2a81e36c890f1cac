#include "ui/qt/widget_text.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

#include "ui/qt/accessible_names.h"

QString WidgetText(const QWidget* widget) {
    if (widget == nullptr) return {};
    if (auto* edit = qobject_cast<const QLineEdit*>(widget)) return edit->text();
    if (auto* label = qobject_cast<const QLabel*>(widget)) return label->text();
    if (auto* button = qobject_cast<const QAbstractButton*>(widget)) return button->text();
    if (auto* combo = qobject_cast<const QComboBox*>(widget)) return combo->currentText();
    if (auto* group = qobject_cast<const QGroupBox*>(widget)) return group->title();
    if (widget->isWindow()) return widget->windowTitle();
    return {};
}

void SetWidgetText(QWidget* widget, const QString& text) {
    if (widget == nullptr) return;
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        if (edit->text() == text) {
            emit edit->textChanged(text);
        } else {
            edit->setText(text);
        }
    } else if (auto* label = qobject_cast<QLabel*>(widget)) {
        label->setText(text);
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        button->setText(text);
    } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        if (combo->isEditable()) combo->setEditText(text);
    } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
        group->setTitle(text);
    } else if (widget->isWindow()) {
        widget->setWindowTitle(text);
    }
    TextChanged(widget);
}

void SetWidgetTextIfChanged(QWidget* widget, const QString& text) {
    if (WidgetText(widget) != text) SetWidgetText(widget, text);
}

QString StripMnemonics(const QString& caption) {
    QString out;
    out.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == u'&') {
            if (i + 1 < caption.size() && caption[i + 1] == u'&') {
                out += u'&';
                ++i;
            }
            continue;
        }
        out += caption[i];
    }
    return out;
}
