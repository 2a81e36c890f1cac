#pragma once
// The window text of a control, whatever widget stands for it. Private to the layer.
#include <QString>

class QWidget;

QString WidgetText(const QWidget* widget);
// Sets the text as the platform's SetWindowText does: an edit announces a change even when the
// text stays the same; a drop-down list has no text of its own to set.
void SetWidgetText(QWidget* widget, const QString& text);
// As the data exchange writes fields: only when the text differs, so nothing flickers or
// announces a change needlessly.
void SetWidgetTextIfChanged(QWidget* widget, const QString& text);
// '&' marks a mnemonic in a caption unless the control shows it as is; "&&" is a literal '&'.
QString StripMnemonics(const QString& caption);
