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

}  // namespace uitest
