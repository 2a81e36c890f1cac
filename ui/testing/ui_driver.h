#pragma once
// Driving a dialog from a test as a user would: controls found by id, real clicks and key presses
// on the control, texts read back. Every function takes the dialog while it is created (Create(),
// or inside a ModalDialogHook) and returns false / empty when the control does not exist. The
// backend's own header (ui_driver_backend.h) adds the window and control handles of its toolkit.
#include <string>
#include <vector>

#include "ui/dialog.h"
#include "ui/menu.h"
#include "ui_driver_backend.h"

namespace uitest {

// The control that has the dialog's focus (a combo box for its edit field); kNoId for none.
int FocusedControlId(CDialog& dialog);

// Mouse click on a button, radio button (on its indicator) or any control (its centre).
bool Click(CDialog& dialog, int id);
// Focuses the control and types the text key by key (into a combo box's edit field).
bool TypeText(CDialog& dialog, int id, const std::string& text);
// Selects the control's whole text with the keyboard, deletes it, then types `text`.
bool ReplaceText(CDialog& dialog, int id, const std::string& text);
// Focuses the control and presses Enter (Escape), which the dialog's keyboard handling gets.
bool PressEnter(CDialog& dialog, int id);
bool PressEscape(CDialog& dialog, int id);
// Selects combo box item `index`, so the selection-change notification comes as from a user.
bool SelectComboItem(CDialog& dialog, int id, int index);
// Clicks the up (or down) arrow of a spin control.
bool StepSpin(CDialog& dialog, int id, bool up);
// The title bar's close box.
bool PressCloseBox(CDialog& dialog);

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
// Chooses item `id` of the window's menu bar as a click on it would. False when the bar has no
// enabled item with that id.
bool InvokeMenuItem(CDialog& dialog, UINT id);

}  // namespace uitest

// ---- The dialog layer's own tests on both backends: geometry, state, keys, owners, timers ----
#include <chrono>
#include <functional>
#include <memory>

namespace uitest {

// A rectangle in pixels of the dialog's client area.
struct PixelRect {
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const PixelRect&) const = default;
};
// The dialog's client area (at 0, 0), and a control's rectangle in it; empty when missing.
PixelRect ClientRect(CDialog& dialog);
PixelRect ControlRect(CDialog& dialog, int id);
// A template rectangle in dialog units as the window maps them for its font and screen.
PixelRect DialogUnitsToPixels(CDialog& dialog, int x, int y, int cx, int cy);
// The title bar's text.
std::string WindowTitle(CDialog& dialog);
// Whether the control would be seen (itself and the dialog shown).
bool IsVisible(CDialog& dialog, int id);
// Whether Enter anywhere in the dialog would press this button rather than end it with OK.
bool IsDefaultButton(CDialog& dialog, int id);
// The selected part of an edit's (or a combo box field's) text.
std::string SelectedText(CDialog& dialog, int id);
// Whether list box line `index` is (at least partly) in the list's view.
bool ListBoxLineInView(CDialog& dialog, int listBoxId, int index);

// Keys both backends press through the dialog's keyboard handling.
enum class NamedKey { Tab, Enter, Escape, Up, Down };
// Focuses the control and presses the key.
bool PressKeyOn(CDialog& dialog, int id, NamedKey key);
// Presses the key on whatever control has the focus now.
bool PressKeyOnFocus(CDialog& dialog, NamedKey key);
// Focuses the control and queues the key's press and release for the event loop that runs
// next (a modal dialog's own), without serving them here.
bool PostKeyPress(CDialog& dialog, int id, NamedKey key);
// Alt+Space opens the system menu; End goes to its last item and Enter chooses it. (Not the
// item's letter: under Wine the menu has an "About Wine" item that takes A first.) False when
// no menu opened.
bool ChooseLastSystemMenuItemByKeyboard(CDialog& dialog);

// Whether `owned`'s window is owned by (stays above and goes with) `owner`'s window.
bool IsOwnedBy(CDialog& owned, CDialog& owner);
// Destroys the dialog's window behind the layer's back, as the toolkit does when its owner goes.
void DestroyNativeWindow(CDialog& dialog);
// Whether a message sent from another thread waits for the dialog's thread to serve it.
bool SentMessageWaiting(CDialog& dialog);

// Runs `tick` every `interval` on the user-interface thread while it lives, in whatever event
// loop runs there (a modal dialog's own included).
class RepeatingTimer {
public:
    RepeatingTimer(std::chrono::milliseconds interval, std::function<void()> tick);
    ~RepeatingTimer();
    RepeatingTimer(const RepeatingTimer&) = delete;
    RepeatingTimer& operator=(const RepeatingTimer&) = delete;

    struct State;

private:
    std::unique_ptr<State> state_;
};

}  // namespace uitest

// The console's window tests: the tab order, every control's text and the menu bar as shown.
namespace uitest {

// The ids of the controls that Tab visits, starting at control `fromId`, until it comes back.
std::vector<int> TabOrder(CDialog& dialog, int fromId);
// The texts of the dialog's own controls, static texts included, in template order.
std::vector<std::string> ControlTexts(CDialog& dialog);
// The window's menu bar as shown: its menus' titles ('&' kept), an item's text (empty when there
// is no such item) and whether the item can be chosen.
std::vector<std::string> MenuBarTitles(CDialog& dialog);
std::string MenuItemText(CDialog& dialog, UINT id);
bool IsMenuItemShownEnabled(CDialog& dialog, UINT id);
// The status text shown at the bar's right end; empty when none shows.
std::string MenuBarStatusText(CDialog& dialog);
// Alt+`menu` opens the bar's menu with that access key and `item` chooses its item with that
// access key, as the keyboard does. False when no menu opened.
bool ChooseMenuItemByKeys(CDialog& dialog, char menu, char item);

}  // namespace uitest

// In-place editing of a list view row's label (its first column), on both backends.
namespace uitest {

// Chooses the row, opens its editor (F2 on Qt, the list view's own edit message on Win32),
// replaces the text and presses Enter (or Escape when `cancel`). False when no editor opened or
// it stayed open.
bool EditLabelInPlace(CDialog& dialog, int listViewId, int row, const std::string& text,
                      bool cancel);

}  // namespace uitest

// List view rows chosen and ticked, on both backends.
namespace uitest {

// Makes the row the chosen one as a user's click does (the list tells its dialog of the change).
// False when there is no such row.
bool ChooseListRow(CDialog& dialog, int listViewId, int row);

// Ticks (or clears) the check box of a list view row as a user does: a click on its box on Qt,
// Space on the chosen row on Win32. False when there is no such row.
bool ToggleListRowCheck(CDialog& dialog, int listViewId, int row);

}  // namespace uitest
