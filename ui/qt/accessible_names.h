#pragma once
// Accessible names as a sighted user reads the window: a control with a caption is called by its
// current caption, a field by the label beside it, anything else by a fixed name. The names follow
// every later change of a caption. Private to the layer.
#include <QString>

class QLabel;
class QWidget;

// The control is called by its own text from now on (its mnemonic marks dropped unless shown).
void NameAfterOwnText(QWidget* control, bool showsMnemonics);
// The field is called by the label's text from now on; the label becomes its buddy, so the
// field also reports to be labelled by it.
void NameAfterLabel(QWidget* field, QLabel* label);
// After the widget's text changed: its own name, and the names of the field it labels.
void TextChanged(QWidget* widget);
// Combo boxes report their label as their name, as the other fields do (Qt would otherwise give
// the selected item as the name of a combo box on this platform).
void InstallComboAccessibility();
