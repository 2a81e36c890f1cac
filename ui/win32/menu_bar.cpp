#include "ui/win32/dialog_widget.h"

#include <algorithm>

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

CMenu& CMenuBar::AppendPopup(const std::string& text) {
    popups_.emplace_back(text, CMenu());
    return popups_.back().second;
}

BOOL CMenuBar::SetMenu(CDialog& dialog) {
    NativeHwnd window = dialog.GetWidget();
    if (window == nullptr || (shown_ && BarStillShown(shown_->window, shown_->bar))) return FALSE;
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
    SetStatusText(statusId_, status_);
    RECT after{};
    ::GetClientRect(window, &after);
    RECT frame{};
    ::GetWindowRect(window, &frame);
    const int grow = (before.bottom - before.top) - (after.bottom - after.top);
    if (grow > 0) {
        ::SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left,
                       frame.bottom - frame.top + grow, SWP_NOMOVE | SWP_NOZORDER);
    }
    return TRUE;
}

int CMenuBar::EnableMenuItem(UINT id, UINT enable) {
    bool known = false;
    for (const auto& popup : popups_) {
        for (const CMenu::Item& item : popup.second.Items()) known = known || item.id == id;
    }
    if (!known) return -1;
    const int previous = IsMenuItemEnabled(id) ? static_cast<int>(MF_ENABLED)
                                               : static_cast<int>(MF_GRAYED);
    std::erase(grayed_, id);
    if ((enable & MF_GRAYED) != 0) grayed_.push_back(id);
    if (shown_ && BarStillShown(shown_->window, shown_->bar)) {
        ::EnableMenuItem(shown_->bar, id,
                         MF_BYCOMMAND | ((enable & MF_GRAYED) != 0 ? kNativeMfGrayed : 0));
    }
    return previous;
}

bool CMenuBar::IsMenuItemEnabled(UINT id) const {
    return std::find(grayed_.begin(), grayed_.end(), id) == grayed_.end();
}

void CMenuBar::SetStatusText(int id, const std::string& text) {
    const int previousId = statusId_;
    statusId_ = id;
    status_ = text;
    if (!shown_ || !BarStillShown(shown_->window, shown_->bar)) return;
    HMENU bar = shown_->bar;
    if (shown_->statusShown) {
        ::DeleteMenu(bar, static_cast<UINT>(previousId), MF_BYCOMMAND);
        shown_->statusShown = false;
    }
    if (!text.empty()) {
        ::AppendMenuW(bar, kStatusFlags, static_cast<UINT_PTR>(id), Wide(text).c_str());
        shown_->statusShown = true;
    }
    ::DrawMenuBar(shown_->window);
}
