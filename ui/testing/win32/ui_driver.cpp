#include "ui/testing/win32/message_pump.h"

#include <chrono>
#include <thread>

#include "ui/accessible_naming.h"
#include "ui/testing/ui_driver.h"
#include "ui/win32/dialog_widget.h"
#include "ui/win32/native_text.h"

// <commdlg.h> names a function of its own so.
#undef ReplaceText

namespace uitest {

namespace {

std::wstring ClassOf(NativeHwnd hwnd) {
    wchar_t name[64] = {};
    ::GetClassNameW(hwnd, name, 64);
    return name;
}

bool IsClass(NativeHwnd hwnd, const wchar_t* name) {
    return hwnd != nullptr && ::lstrcmpiW(ClassOf(hwnd).c_str(), name) == 0;
}

// Keys and typed characters go to the window that would have the focus: a combo box's edit
// field when it has one.
NativeHwnd KeyTarget(NativeHwnd control) {
    if (IsClass(control, L"ComboBox")) {
        COMBOBOXINFO info{};
        info.cbSize = sizeof info;
        if (::GetComboBoxInfo(control, &info) && info.hwndItem != nullptr &&
            info.hwndItem != control) {
            return info.hwndItem;
        }
    }
    return control;
}

NativeHwnd Focus(CDialog& dialog, int id) {
    NativeHwnd control = Control(dialog, id);
    if (control == nullptr) return nullptr;
    ::SetActiveWindow(dialog.GetWidget());
    NativeHwnd target = KeyTarget(control);
    ::SetFocus(target);
    PumpPendingMessages();
    return target;
}

// Posts the key's press and release to the focused window and runs them through the loop.
void Key(NativeHwnd target, unsigned vk) {
    const UINT scan = ::MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
    ::PostMessageW(target, WM_KEYDOWN, vk, static_cast<LPARAM>(1 | (scan << 16)));
    ::PostMessageW(target, WM_KEYUP, vk, static_cast<LPARAM>(1 | (scan << 16) | (3u << 30)));
    PumpPendingMessages();
}

void TypeChars(NativeHwnd target, const std::string& text) {
    for (const wchar_t c : Wide(text)) {
        ::PostMessageW(target, WM_CHAR, c, 1);
        PumpPendingMessages();
    }
}

// The mouse's press and release at a point of the control's client area.
void MouseClick(NativeHwnd control, POINT at) {
    const LPARAM where = MAKELPARAM(at.x, at.y);
    ::SendMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, where);
    ::SendMessageW(control, WM_LBUTTONUP, 0, where);
    PumpPendingMessages();
}

POINT Centre(NativeHwnd control) {
    RECT r{};
    ::GetClientRect(control, &r);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

std::string ComboItem(NativeHwnd combo, int index) {
    const LRESULT length = ::SendMessageW(combo, CB_GETLBTEXTLEN, index, 0);
    if (length < 0) return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    ::SendMessageW(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(length));
    return Utf8(text);
}

}  // namespace

DialogWidget* Window(CDialog& dialog) {
    return dialog.GetWidget() != nullptr ? DialogWidget::FromHwnd(dialog.GetWidget()) : nullptr;
}

NativeWidget* Control(CDialog& dialog, int id) {
    NativeHwnd window = dialog.GetWidget();
    return window != nullptr ? ::GetDlgItem(window, id) : nullptr;
}

int FocusedControlId(CDialog& dialog) {
    NativeHwnd window = dialog.GetWidget();
    if (window == nullptr) return kNoId;
    for (NativeHwnd w = ::GetFocus(); w != nullptr && w != window; w = ::GetParent(w)) {
        if (::GetParent(w) == window) return ::GetDlgCtrlID(w);
    }
    return kNoId;
}

bool Click(CDialog& dialog, int id) {
    NativeHwnd control = Control(dialog, id);
    if (control == nullptr) return false;
    // Like a mouse, a click on a disabled or hidden control does nothing.
    if (!::IsWindowEnabled(control) || !::IsWindowVisible(control)) return true;
    if (IsClass(control, L"Button")) {
        ::SendMessageW(control, BM_CLICK, 0, 0);
        PumpPendingMessages();
    } else {
        MouseClick(control, Centre(control));
    }
    return true;
}

bool TypeText(CDialog& dialog, int id, const std::string& text) {
    NativeHwnd target = Focus(dialog, id);
    if (target == nullptr) return false;
    TypeChars(target, text);
    return true;
}

bool ReplaceText(CDialog& dialog, int id, const std::string& text) {
    NativeHwnd target = Focus(dialog, id);
    if (target == nullptr) return false;
    ::SendMessageW(target, EM_SETSEL, 0, -1);
    Key(target, VK_DELETE);
    TypeChars(target, text);
    return true;
}

bool PressKey(CDialog& dialog, int id, unsigned virtualKey) {
    NativeHwnd target = Focus(dialog, id);
    if (target == nullptr) return false;
    Key(target, virtualKey);
    return true;
}

bool PressEnter(CDialog& dialog, int id) { return PressKey(dialog, id, VK_RETURN); }
bool PressEscape(CDialog& dialog, int id) { return PressKey(dialog, id, VK_ESCAPE); }

bool PressAltLetter(CDialog& dialog, char letter, char then) {
    NativeHwnd window = dialog.GetWidget();
    if (window == nullptr) return false;
    NativeHwnd focus = ::GetFocus();
    if (focus == nullptr || ::GetAncestor(focus, GA_ROOT) != window) focus = window;
    // What TranslateMessage makes of Alt+letter: a system character with the context bit.
    ::PostMessageW(focus, WM_SYSCHAR, static_cast<WPARAM>(letter), static_cast<LPARAM>(1 | (1u << 29)));
    // A menu opened by the letter runs its own loop inside the dispatch; the next key is typed
    // once its list is open. Should it never open, Escape twice ends the menu loop.
    std::thread typist;
    if (then != 0) {
        const DWORD thread = ::GetCurrentThreadId();
        typist = std::thread([thread, then] {
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
            GUITHREADINFO info{};
            info.cbSize = sizeof info;
            while (std::chrono::steady_clock::now() < deadline) {
                NativeHwnd list = ::FindWindowW(L"#32768", nullptr);
                if (list != nullptr && ::IsWindowVisible(list)) {
                    ::PostMessageW(list, WM_CHAR, static_cast<WPARAM>(then), 1);
                    return;
                }
                ::Sleep(5);
            }
            if (::GetGUIThreadInfo(thread, &info) && (info.flags & GUI_INMENUMODE) != 0) {
                for (int i = 0; i < 2; ++i) {
                    ::PostThreadMessageW(thread, WM_KEYDOWN, VK_ESCAPE, 1);
                }
            }
        });
    }
    PumpPendingMessages();
    if (typist.joinable()) typist.join();
    return true;
}

bool SelectComboItem(CDialog& dialog, int id, int index) {
    NativeHwnd combo = Control(dialog, id);
    if (combo == nullptr || index < 0 ||
        index >= static_cast<int>(::SendMessageW(combo, CB_GETCOUNT, 0, 0))) {
        return false;
    }
    ::SetFocus(combo);
    // The list's choice as a user makes it: the selection, then the notification the combo box
    // sends its dialog for a choice in its list.
    ::SendMessageW(combo, CB_SETCURSEL, index, 0);
    ::SendMessageW(dialog.GetWidget(), WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(combo));
    PumpPendingMessages();
    return static_cast<int>(::SendMessageW(combo, CB_GETCURSEL, 0, 0)) == index;
}

bool StepSpin(CDialog& dialog, int id, bool up) {
    NativeHwnd spin = Control(dialog, id);
    if (spin == nullptr || !IsClass(spin, UPDOWN_CLASSW)) return false;
    RECT r{};
    ::GetClientRect(spin, &r);
    const bool horizontal = (::GetWindowLongW(spin, GWL_STYLE) & UDS_HORZ) != 0;
    POINT at{};
    if (horizontal) {
        at = POINT{up ? r.right - (r.right - r.left) / 4 : r.left + (r.right - r.left) / 4,
                   (r.top + r.bottom) / 2};
    } else {
        at = POINT{(r.left + r.right) / 2,
                   up ? r.top + (r.bottom - r.top) / 4 : r.bottom - (r.bottom - r.top) / 4};
    }
    MouseClick(spin, at);
    return true;
}

bool PressCloseBox(CDialog& dialog) {
    NativeHwnd window = dialog.GetWidget();
    if (window == nullptr) return false;
    ::SendMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    PumpPendingMessages();
    return true;
}

std::string Text(CDialog& dialog, int id) {
    NativeHwnd control = Control(dialog, id);
    return control != nullptr ? WindowTextOf(control) : std::string();
}

std::string AccessibleName(CDialog& dialog, int id) {
    // As the layer names it for assistive technology: fields after the label beside them (or
    // their fixed name), everything else by its current caption.
    DialogWidget* window = Window(dialog);
    if (window == nullptr || Control(dialog, id) == nullptr) return {};
    const DialogTemplate& tpl = window->Template();
    const std::vector<AccessibleNaming> names = AccessibleNamesOf(tpl);
    for (std::size_t i = 0; i < names.size() && i < tpl.controls.size(); ++i) {
        const ControlTemplate& ctl = tpl.controls[i];
        if (ctl.id != id) continue;
        // A field without a label beside it has no name (the system's guess would be wrong).
        if (!ctl.accessibleName.empty() || IsLabelledField(ctl.kind)) return names[i].name;
        break;
    }
    return Text(dialog, id);
}

bool IsEnabled(CDialog& dialog, int id) {
    NativeHwnd control = Control(dialog, id);
    return control != nullptr && ::IsWindowEnabled(control);
}

bool IsChecked(CDialog& dialog, int id) {
    NativeHwnd control = Control(dialog, id);
    return control != nullptr && ::SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

int RowCount(CDialog& dialog, int listViewId) {
    NativeHwnd list = Control(dialog, listViewId);
    return list != nullptr ? static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)) : 0;
}

int ColumnCount(CDialog& dialog, int listViewId) {
    NativeHwnd list = Control(dialog, listViewId);
    NativeHwnd header = list != nullptr
                            ? reinterpret_cast<NativeHwnd>(::SendMessageW(list, LVM_GETHEADER, 0, 0))
                            : nullptr;
    return header != nullptr ? static_cast<int>(::SendMessageW(header, HDM_GETITEMCOUNT, 0, 0))
                             : 0;
}

std::string CellText(CDialog& dialog, int listViewId, int row, int column) {
    NativeHwnd list = Control(dialog, listViewId);
    if (list == nullptr || row < 0 || row >= RowCount(dialog, listViewId)) return {};
    wchar_t text[512] = {};
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = 512;
    ::SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
    return Utf8(text);
}

std::string HeaderText(CDialog& dialog, int listViewId, int column) {
    NativeHwnd list = Control(dialog, listViewId);
    if (list == nullptr) return {};
    wchar_t text[256] = {};
    LVCOLUMNW col{};
    col.mask = LVCF_TEXT;
    col.pszText = text;
    col.cchTextMax = 256;
    if (!::SendMessageW(list, LVM_GETCOLUMNW, column, reinterpret_cast<LPARAM>(&col))) return {};
    return Utf8(text);
}

std::vector<std::string> ListBoxLines(CDialog& dialog, int listBoxId) {
    std::vector<std::string> lines;
    NativeHwnd list = Control(dialog, listBoxId);
    if (list == nullptr) return lines;
    const int count = static_cast<int>(::SendMessageW(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        const LRESULT length = ::SendMessageW(list, LB_GETTEXTLEN, i, 0);
        std::wstring text(static_cast<std::size_t>(length < 0 ? 0 : length) + 1, L'\0');
        ::SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()));
        text.resize(static_cast<std::size_t>(length < 0 ? 0 : length));
        lines.push_back(Utf8(text));
    }
    return lines;
}

std::vector<std::string> ComboItems(CDialog& dialog, int comboId) {
    std::vector<std::string> items;
    NativeHwnd combo = Control(dialog, comboId);
    if (combo == nullptr) return items;
    const int count = static_cast<int>(::SendMessageW(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) items.push_back(ComboItem(combo, i));
    return items;
}

std::vector<SystemMenuEntry> SystemMenuItems(CDialog& dialog) {
    std::vector<SystemMenuEntry> entries;
    NativeHwnd window = dialog.GetWidget();
    HMENU menu = window != nullptr ? ::GetSystemMenu(window, FALSE) : nullptr;
    if (menu == nullptr) return entries;
    const int count = ::GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        wchar_t text[256] = {};
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STATE | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = 256;
        if (!::GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info)) continue;
        SystemMenuEntry entry;
        entry.separator = (info.fType & MFT_SEPARATOR) != 0;
        entry.id = entry.separator ? 0 : info.wID;
        entry.text = Utf8(text);
        entry.enabled = (info.fState & (MFS_DISABLED | MFS_GRAYED)) == 0;
        entries.push_back(entry);
    }
    return entries;
}

bool InvokeSystemMenuItem(CDialog& dialog, UINT id) {
    for (const SystemMenuEntry& entry : SystemMenuItems(dialog)) {
        if (!entry.separator && entry.id == id && entry.enabled) {
            ::SendMessageW(dialog.GetWidget(), WM_SYSCOMMAND, id, 0);
            PumpPendingMessages();
            return true;
        }
    }
    return false;
}

bool InvokeMenuItem(CDialog& dialog, UINT id) {
    NativeHwnd window = dialog.GetWidget();
    HMENU menu = window != nullptr ? ::GetMenu(window) : nullptr;
    if (menu == nullptr) return false;
    const UINT state = ::GetMenuState(menu, id, MF_BYCOMMAND);
    // Grayed or disabled (MF_DISABLED, 2) items do not answer a click.
    if (state == static_cast<UINT>(-1) || (state & (kNativeMfGrayed | 0x0002u)) != 0) return false;
    ::SendMessageW(window, WM_COMMAND, MAKEWPARAM(id, 0), 0);
    PumpPendingMessages();
    return true;
}

}  // namespace uitest

// ---- The dialog layer's own tests on both backends: geometry, state, keys, owners, timers ----
#include <atomic>
#include <map>

namespace uitest {

namespace {

PixelRect FromNative(const RECT& r) {
    return PixelRect{r.left, r.top, r.right - r.left, r.bottom - r.top};
}

unsigned VirtualKey(NamedKey key) {
    switch (key) {
        case NamedKey::Tab: return VK_TAB;
        case NamedKey::Enter: return VK_RETURN;
        case NamedKey::Escape: return VK_ESCAPE;
        case NamedKey::Up: return VK_UP;
        case NamedKey::Down: return VK_DOWN;
    }
    return 0;
}

}  // namespace

PixelRect ClientRect(CDialog& dialog) {
    RECT r{};
    if (dialog.GetWidget() == nullptr || !::GetClientRect(dialog.GetWidget(), &r)) return {};
    return FromNative(r);
}

PixelRect ControlRect(CDialog& dialog, int id) {
    NativeHwnd control = Control(dialog, id);
    RECT r{};
    if (control == nullptr || !::GetWindowRect(control, &r)) return {};
    ::MapWindowPoints(nullptr, dialog.GetWidget(), reinterpret_cast<POINT*>(&r), 2);
    return FromNative(r);
}

PixelRect DialogUnitsToPixels(CDialog& dialog, int x, int y, int cx, int cy) {
    // The system's own mapping for the dialog's font.
    RECT r{x, y, x + cx, y + cy};
    if (dialog.GetWidget() == nullptr || !::MapDialogRect(dialog.GetWidget(), &r)) return {};
    return FromNative(r);
}

std::string WindowTitle(CDialog& dialog) {
    return dialog.GetWidget() != nullptr ? WindowTextOf(dialog.GetWidget()) : std::string();
}

bool IsVisible(CDialog& dialog, int id) {
    NativeHwnd control = Control(dialog, id);
    return control != nullptr && ::IsWindowVisible(control);
}

bool IsDefaultButton(CDialog& dialog, int id) {
    NativeHwnd control = Control(dialog, id);
    if (control == nullptr) return false;
    if ((::GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON) return true;
    const LRESULT defId = ::SendMessageW(dialog.GetWidget(), DM_GETDEFID, 0, 0);
    return HIWORD(defId) == DC_HASDEFID && LOWORD(defId) == id;
}

std::string SelectedText(CDialog& dialog, int id) {
    NativeHwnd control = Control(dialog, id);
    if (control == nullptr) return {};
    NativeHwnd edit = KeyTarget(control);
    DWORD from = 0, to = 0;
    ::SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
    const std::wstring text = Wide(WindowTextOf(edit));
    if (from >= to || to > text.size()) return {};
    return Utf8(text.substr(from, to - from));
}

bool ListBoxLineInView(CDialog& dialog, int listBoxId, int index) {
    NativeHwnd list = Control(dialog, listBoxId);
    RECT line{}, view{}, both{};
    if (list == nullptr ||
        ::SendMessageW(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&line)) == LB_ERR) {
        return false;
    }
    ::GetClientRect(list, &view);
    return ::IntersectRect(&both, &line, &view) != FALSE;
}

bool PressKeyOn(CDialog& dialog, int id, NamedKey key) {
    return PressKey(dialog, id, VirtualKey(key));
}

bool PressKeyOnFocus(CDialog& dialog, NamedKey key) {
    NativeHwnd focus = ::GetFocus();
    if (focus == nullptr || ::GetAncestor(focus, GA_ROOT) != dialog.GetWidget()) return false;
    Key(focus, VirtualKey(key));
    return true;
}

bool PostKeyPress(CDialog& dialog, int id, NamedKey key) {
    NativeHwnd control = Control(dialog, id);
    if (control == nullptr) return false;
    NativeHwnd target = KeyTarget(control);
    ::SetFocus(target);
    const unsigned vk = VirtualKey(key);
    const UINT scan = ::MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
    ::PostMessageW(target, WM_KEYDOWN, vk, static_cast<LPARAM>(1 | (scan << 16)));
    ::PostMessageW(target, WM_KEYUP, vk, static_cast<LPARAM>(1 | (scan << 16) | (3u << 30)));
    return true;
}

bool ChooseLastSystemMenuItemByKeyboard(CDialog& dialog) {
    NativeHwnd window = dialog.GetWidget();
    if (window == nullptr) return false;
    NativeHwnd focus = ::GetFocus();
    if (focus == nullptr || ::GetAncestor(focus, GA_ROOT) != window) focus = window;
    // Alt+Space as TranslateMessage gives it; the system's menu loop runs inside its dispatch,
    // so End and Enter come from another thread once the menu's list is open. Should it never
    // open, nothing is typed; should it stay open, Escape ends the loop.
    ::PostMessageW(focus, WM_SYSCHAR, VK_SPACE, static_cast<LPARAM>(1 | (1u << 29)));
    std::atomic<bool> opened = false;
    std::thread typist([&opened, thread = ::GetCurrentThreadId()] {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (std::chrono::steady_clock::now() < deadline) {
            NativeHwnd list = ::FindWindowW(L"#32768", nullptr);
            if (list != nullptr && ::IsWindowVisible(list)) {
                opened = true;
                ::PostMessageW(list, WM_KEYDOWN, VK_END, 1);
                ::PostMessageW(list, WM_CHAR, '\r', 1);
                break;
            }
            ::Sleep(5);
        }
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        for (int i = 0; i < 200 && ::GetGUIThreadInfo(thread, &info) &&
                        (info.flags & (GUI_INMENUMODE | GUI_SYSTEMMENUMODE)) != 0;
             ++i) {
            if (i == 100 || i == 150) ::PostThreadMessageW(thread, WM_KEYDOWN, VK_ESCAPE, 1);
            ::Sleep(5);
        }
    });
    PumpPendingMessages();
    typist.join();
    PumpPendingMessages();
    return opened;
}

bool IsOwnedBy(CDialog& owned, CDialog& owner) {
    return owned.GetWidget() != nullptr && owner.GetWidget() != nullptr &&
           ::GetWindow(owned.GetWidget(), GW_OWNER) == owner.GetWidget();
}

void DestroyNativeWindow(CDialog& dialog) {
    if (dialog.GetWidget() != nullptr) ::DestroyWindow(dialog.GetWidget());
    PumpPendingMessages();
}

bool SentMessageWaiting(CDialog& /*dialog*/) {
    // Another thread's SendMessage waits in this thread's queue until it is served.
    return (HIWORD(::GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE) != 0;
}

struct RepeatingTimer::State {
    UINT_PTR id = 0;
    std::function<void()> tick;

    // Thread timers have no window; their procedure finds its timer by id.
    static std::map<UINT_PTR, State*>& Running() {
        static std::map<UINT_PTR, State*> running;
        return running;
    }
    static void CALLBACK Fire(NativeHwnd, UINT, UINT_PTR id, DWORD) {
        auto it = Running().find(id);
        if (it != Running().end()) it->second->tick();
    }
};

RepeatingTimer::RepeatingTimer(std::chrono::milliseconds interval, std::function<void()> tick)
    : state_(std::make_unique<State>()) {
    state_->tick = std::move(tick);
    state_->id = ::SetTimer(nullptr, 0, static_cast<UINT>(interval.count()), &State::Fire);
    State::Running()[state_->id] = state_.get();
}

RepeatingTimer::~RepeatingTimer() {
    ::KillTimer(nullptr, state_->id);
    State::Running().erase(state_->id);
}

}  // namespace uitest

// The console's window tests: the tab order, every control's text and the menu bar as shown.
namespace uitest {

namespace {

// The bar's item with this command id, searched through its menus.
bool MenuItemInfo(CDialog& dialog, UINT id, std::string* text, UINT* state) {
    NativeHwnd window = dialog.GetWidget();
    HMENU bar = window != nullptr ? ::GetMenu(window) : nullptr;
    if (bar == nullptr) return false;
    const UINT found = ::GetMenuState(bar, id, MF_BYCOMMAND);
    if (found == static_cast<UINT>(-1)) return false;
    if (state != nullptr) *state = found;
    if (text != nullptr) {
        wchar_t buffer[256] = {};
        ::GetMenuStringW(bar, id, buffer, 256, MF_BYCOMMAND);
        *text = Utf8(buffer);
    }
    return true;
}

}  // namespace

std::vector<int> TabOrder(CDialog& dialog, int fromId) {
    // Real Tab presses through the dialog's keyboard handling, the focus read after each.
    std::vector<int> order;
    if (Focus(dialog, fromId) == nullptr) return order;
    order.push_back(FocusedControlId(dialog));
    while (order.size() < 200) {
        NativeHwnd focus = ::GetFocus();
        if (focus == nullptr) break;
        Key(focus, VK_TAB);
        const int now = FocusedControlId(dialog);
        if (now == fromId || now == kNoId) break;
        order.push_back(now);
    }
    return order;
}

std::vector<std::string> ControlTexts(CDialog& dialog) {
    std::vector<std::string> texts;
    NativeHwnd window = dialog.GetWidget();
    if (window == nullptr) return texts;
    // The direct children in creation order, which is the template's.
    for (NativeHwnd child = ::GetWindow(window, GW_CHILD); child != nullptr;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        texts.push_back(WindowTextOf(child));
    }
    return texts;
}

std::vector<std::string> MenuBarTitles(CDialog& dialog) {
    std::vector<std::string> titles;
    NativeHwnd window = dialog.GetWidget();
    HMENU bar = window != nullptr ? ::GetMenu(window) : nullptr;
    if (bar == nullptr) return titles;
    for (int i = 0; i < ::GetMenuItemCount(bar); ++i) {
        if (::GetSubMenu(bar, i) == nullptr) continue;  // the status text
        wchar_t buffer[256] = {};
        ::GetMenuStringW(bar, static_cast<UINT>(i), buffer, 256, MF_BYPOSITION);
        titles.push_back(Utf8(buffer));
    }
    return titles;
}

std::string MenuItemText(CDialog& dialog, UINT id) {
    std::string text;
    return MenuItemInfo(dialog, id, &text, nullptr) ? text : std::string();
}

bool IsMenuItemShownEnabled(CDialog& dialog, UINT id) {
    UINT state = 0;
    return MenuItemInfo(dialog, id, nullptr, &state) &&
           (state & (kNativeMfGrayed | 0x0002u)) == 0;  // MF_DISABLED is 2
}

std::string MenuBarStatusText(CDialog& dialog) {
    // The bar's item that opens no menu, right-justified at its end.
    NativeHwnd window = dialog.GetWidget();
    HMENU bar = window != nullptr ? ::GetMenu(window) : nullptr;
    if (bar == nullptr) return {};
    for (int i = 0; i < ::GetMenuItemCount(bar); ++i) {
        wchar_t buffer[256] = {};
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_SUBMENU | MIIM_STRING;
        info.dwTypeData = buffer;
        info.cch = 256;
        if (::GetMenuItemInfoW(bar, static_cast<UINT>(i), TRUE, &info) &&
            info.hSubMenu == nullptr && (info.fType & MFT_RIGHTJUSTIFY) != 0) {
            return Utf8(buffer);
        }
    }
    return {};
}

bool ChooseMenuItemByKeys(CDialog& dialog, char menu, char item) {
    return PressAltLetter(dialog, menu, item);
}

}  // namespace uitest

// In-place editing of a list view row's label (its first column), on both backends.
namespace uitest {

bool EditLabelInPlace(CDialog& dialog, int listViewId, int row, const std::string& text,
                      bool cancel) {
    if (!ChooseListRow(dialog, listViewId, row)) return false;
    NativeHwnd list = Control(dialog, listViewId);
    // F2 on the chosen row, as an operator starts the edit.
    Key(list, VK_F2);
    auto editor = reinterpret_cast<NativeHwnd>(::SendMessageW(list, LVM_GETEDITCONTROL, 0, 0));
    if (editor == nullptr) return false;
    ::SendMessageW(editor, EM_SETSEL, 0, -1);
    Key(editor, VK_DELETE);
    TypeChars(editor, text);
    Key(editor, cancel ? VK_ESCAPE : VK_RETURN);
    return ::SendMessageW(list, LVM_GETEDITCONTROL, 0, 0) == 0;
}

}  // namespace uitest

// List view rows chosen and ticked, on both backends.
namespace uitest {

bool ChooseListRow(CDialog& dialog, int listViewId, int row) {
    NativeHwnd list = Control(dialog, listViewId);
    if (list == nullptr || row < 0 || row >= RowCount(dialog, listViewId)) return false;
    ::SetActiveWindow(dialog.GetWidget());
    ::SetFocus(list);
    // The state a click sets; the list view's own mouse handling waits for a drag otherwise.
    LVITEMW chosen{};
    chosen.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    chosen.state = LVIS_SELECTED | LVIS_FOCUSED;
    ::SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                   reinterpret_cast<LPARAM>(&chosen));
    PumpPendingMessages();
    return true;
}

bool ToggleListRowCheck(CDialog& dialog, int listViewId, int row) {
    if (!ChooseListRow(dialog, listViewId, row)) return false;
    Key(Control(dialog, listViewId), VK_SPACE);
    return true;
}

}  // namespace uitest
