#pragma once
// The Win32 side of the test driver: the dialog's native window and its controls' windows, and
// keys by their virtual-key codes. No system header here: tests include the layer's names.
#include "backend_types.h"
#include "ui/dialog.h"

class DialogWidget;

// Tests bound to one backend say so with this and skip on the other.
#define UITEST_BACKEND_WIN32 1

namespace uitest {

// The dialog's window object; null when it is not created.
DialogWidget* Window(CDialog& dialog);
// The native window of control `id`; null when there is none.
NativeWidget* Control(CDialog& dialog, int id);
// Focuses the control and presses the key `virtualKey` (VK_...), through the dialog's keyboard
// handling as the message loop would pass it on.
bool PressKey(CDialog& dialog, int id, unsigned virtualKey);
// Alt+letter on the dialog: the control or menu whose caption marks that letter ("(&R)") acts.
// `then`, when given, is the next key typed (a menu item's letter once the menu is open).
bool PressAltLetter(CDialog& dialog, char letter, char then = 0);

}  // namespace uitest
