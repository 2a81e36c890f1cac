#pragma once
// The Qt side of the test driver: the dialog's widget, a control's widget and keys by Qt's names.
#include <QWidget>

#include "ui/dialog.h"
#include "ui/qt/dialog_widget.h"

// Tests bound to one backend say so with this and skip on the other.
#define UITEST_BACKEND_QT 1

namespace uitest {

// The dialog's window; null when it is not created.
DialogWidget* Window(CDialog& dialog);
// The widget of control `id` (objectName "ctl_<id>"); null when there is none.
QWidget* Control(CDialog& dialog, int id);
template <class W>
W* ControlAs(CDialog& dialog, int id) {
    return qobject_cast<W*>(Control(dialog, id));
}
// Focuses the control and presses one key.
bool PressKey(CDialog& dialog, int id, Qt::Key key,
              Qt::KeyboardModifiers modifiers = Qt::NoModifier);

// In-place editing of a list view's labels: the Win32 tests send the list view's own messages.
// Clicks a list view row's cell (the row is chosen, nothing is edited). False when no such row.
bool ClickListRow(CDialog& dialog, int listViewId, int row, int column = 1);
// Edits a list view row's label in place as a user does: clicks the row, presses F2, replaces
// the editor's text and presses Enter (or Escape when `cancel`). False when no editor opened.
bool EditListLabel(CDialog& dialog, int listViewId, int row, const std::string& text,
                   bool cancel = false);
// The accessible name of the in-place editor that F2 opens on the list view's chosen row; the
// editor is closed again. Empty when none opened.
std::string ListLabelEditorName(CDialog& dialog, int listViewId, int row);

}  // namespace uitest
