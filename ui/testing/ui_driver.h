#pragma once
// Driving a dialog from a test as a user would: controls found by id, real mouse clicks and key
// presses (QTest) on the control's widget, texts read back. Every function takes the dialog while
// it is created (Create(), or inside a ModalDialogHook) and returns false / empty when the
// control does not exist.
#include <string>
#include <vector>

#include <QWidget>

#include "ui/dialog.h"
#include "ui/qt/dialog_widget.h"

namespace uitest {

// The dialog's window; null when it is not created.
DialogWidget* Window(CDialog& dialog);
// The widget of control `id` (objectName "ctl_<id>"); null when there is none.
QWidget* Control(CDialog& dialog, int id);
template <class W>
W* ControlAs(CDialog& dialog, int id) {
    return qobject_cast<W*>(Control(dialog, id));
}
// The control that has the dialog's focus (a combo box for its edit field); kNoId for none.
int FocusedControlId(CDialog& dialog);

// Mouse click on a button, radio button (on its indicator) or any control (its centre).
bool Click(CDialog& dialog, int id);
// Focuses the control and types the text key by key (into a combo box's edit field).
bool TypeText(CDialog& dialog, int id, const std::string& text);
// Selects the control's whole text with the keyboard, deletes it, then types `text`.
bool ReplaceText(CDialog& dialog, int id, const std::string& text);
// Focuses the control and presses one key.
bool PressKey(CDialog& dialog, int id, Qt::Key key,
              Qt::KeyboardModifiers modifiers = Qt::NoModifier);
inline bool PressEnter(CDialog& dialog, int id) { return PressKey(dialog, id, Qt::Key_Return); }
inline bool PressEscape(CDialog& dialog, int id) { return PressKey(dialog, id, Qt::Key_Escape); }
// Opens the combo box's list and clicks item `index`, so the selection-change notification
// comes as from a user.
bool SelectComboItem(CDialog& dialog, int id, int index);
// Clicks the up (or down) arrow of a spin control.
bool StepSpin(CDialog& dialog, int id, bool up);
// The title bar's close box.
bool PressCloseBox(CDialog& dialog);

// Clicks a list view row's cell (the row is chosen, nothing is edited). False when no such row.
bool ClickListRow(CDialog& dialog, int listViewId, int row, int column = 1);
// Edits a list view row's label in place as a user does: clicks the row, presses F2, replaces
// the editor's text and presses Enter (or Escape when `cancel`). False when no editor opened.
bool EditListLabel(CDialog& dialog, int listViewId, int row, const std::string& text,
                   bool cancel = false);
// The accessible name of the in-place editor that F2 opens on the list view's chosen row; the
// editor is closed again. Empty when none opened.
std::string ListLabelEditorName(CDialog& dialog, int listViewId, int row);

// The window text: edit, label, button, combo box field, group box title.
std::string Text(CDialog& dialog, int id);
std::string AccessibleName(CDialog& dialog, int id);
bool IsEnabled(CDialog& dialog, int id);
bool IsChecked(CDialog& dialog, int id);
// List view cells and list box lines.
int RowCount(CDialog& dialog, int listViewId);
int ColumnCount(CDialog& dialog, int listViewId);
std::string CellText(CDialog& dialog, int listViewId, int row, int column);
std::string HeaderText(CDialog& dialog, int listViewId, int column);
std::vector<std::string> ListBoxLines(CDialog& dialog, int listBoxId);
// Combo box items in order.
std::vector<std::string> ComboItems(CDialog& dialog, int comboId);

// The system menu as it would open now, and choosing one of its items (WM_SYSCOMMAND through
// the message map). False when there is no enabled item with that id.
std::vector<SystemMenuEntry> SystemMenuItems(CDialog& dialog);
bool InvokeSystemMenuItem(CDialog& dialog, UINT id);

}  // namespace uitest
