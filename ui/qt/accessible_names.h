#pragma once
// Accessible names as a sighted user reads the window: a control with a caption is called by its
// current caption, a field by the label beside it (a combo box by its value, with the label as
// its labelled-by relation), anything else by a fixed name. The names follow
// every later change of a caption. Private to the layer.
#include <QString>

class QLabel;
class QWidget;

// The control is called by its own text from now on (its mnemonic marks dropped unless shown).
void NameAfterOwnText(QWidget* control, bool showsMnemonics);
// The field is called by the label's text from now on, unless the label is already another
// field's; the label becomes its buddy, so the field also reports to be labelled by it. A combo
// box only gets the buddy: its name is its current text.
void NameAfterLabel(QWidget* field, QLabel* label);
// After the widget's text changed: its own name, and the names of the field it labels.
void TextChanged(QWidget* widget);
