// The menu bar as the system draws it: the window's own menu, the status text an item at its
// right end.
#include "ui/win32/dialog_widget.h"

#include "ui/dialog.h"
#include "ui/menu_bar.h"

namespace {

// The status text is an item at the bar's right end that cannot be chosen (disabled, not
// grayed, so it reads as plain text).
constexpr UINT kStatusFlags = MF_STRING | MFT_RIGHTJUSTIFY | MF_DISABLED;

bool BarStillShown(NativeHwnd window, HMENU bar) {
    return window != nullptr && ::IsWindow(window) && ::GetMenu(window) == bar;
}

}  // namespace

struct CMenuBar::Shown {
    NativeHwnd window = nullptr;
    HMENU bar = nullptr;
    bool statusShown = false;
};

CMenuBar::CMenuBar() = default;
CMenuBar::~CMenuBar() = default;

bool CMenuBar::BarShown() const { return shown_ && BarStillShown(shown_->window, shown_->bar); }

void CMenuBar::ShowBar(CDialog& dialog) {
    NativeHwnd window = dialog.GetWidget();
    HMENU bar = ::CreateMenu();
    for (const auto& [title, items] : popups_) {
        HMENU popup = ::CreatePopupMenu();
        for (const CMenu::Item& item : items.Items()) {
            if ((item.flags & MF_SEPARATOR) != 0) {
                ::AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
                continue;
            }
            const UINT state = IsMenuItemEnabled(item.id) ? MF_ENABLED : MF_GRAYED;
            ::AppendMenuW(popup, MF_STRING | state, item.id, Wide(item.text).c_str());
        }
        ::AppendMenuW(bar, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(popup),
                      Wide(title).c_str());
    }
    // The bar takes the top of the window; the template's client area keeps its size below it.
    RECT before{};
    ::GetClientRect(window, &before);
    ::SetMenu(window, bar);
    shown_ = std::make_unique<Shown>();
    shown_->window = window;
    shown_->bar = bar;
    ShowStatus();
    RECT after{};
    ::GetClientRect(window, &after);
    RECT frame{};
    ::GetWindowRect(window, &frame);
    const int grow = (before.bottom - before.top) - (after.bottom - after.top);
    if (grow > 0) {
        ::SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left,
                       frame.bottom - frame.top + grow, SWP_NOMOVE | SWP_NOZORDER);
    }
}

void CMenuBar::ShowItemEnabled(UINT id, bool enabled) {
    if (!BarShown()) return;
    ::EnableMenuItem(shown_->bar, id, MF_BYCOMMAND | (enabled ? 0 : kNativeMfGrayed));
}

void CMenuBar::ShowStatus() {
    if (!BarShown()) return;
    HMENU bar = shown_->bar;
    if (shown_->statusShown) {
        // The status is the bar's last item. Its id may also be a menu item's (a toggle whose
        // state the text shows), so it goes by position, never by command.
        const int count = ::GetMenuItemCount(bar);
        if (count > 0) ::DeleteMenu(bar, static_cast<UINT>(count - 1), MF_BYPOSITION);
        shown_->statusShown = false;
    }
    if (!status_.empty()) {
        ::AppendMenuW(bar, kStatusFlags, static_cast<UINT_PTR>(statusId_), Wide(status_).c_str());
        shown_->statusShown = true;
    }
    ::DrawMenuBar(shown_->window);
}
