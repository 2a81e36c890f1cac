// The menu bar's model: its pop-ups and their command items, which of them are grayed, and the
// status text at the bar's right end. The backend shows it.
#include "ui/menu_bar.h"

#include <algorithm>

#include "ui/dialog.h"

CMenu& CMenuBar::AppendPopup(const std::string& text) {
    popups_.emplace_back(text, CMenu());
    return popups_.back().second;
}

BOOL CMenuBar::SetMenu(CDialog& dialog) {
    if (dialog.GetWidget() == nullptr || BarShown()) return FALSE;
    ShowBar(dialog);
    return TRUE;
}

bool CMenuBar::HasItem(UINT id) const {
    for (const auto& popup : popups_) {
        for (const CMenu::Item& item : popup.second.Items()) {
            if (item.id == id) return true;
        }
    }
    return false;
}

int CMenuBar::EnableMenuItem(UINT id, UINT enable) {
    if (!HasItem(id)) return -1;
    const int previous = IsMenuItemEnabled(id) ? static_cast<int>(MF_ENABLED)
                                               : static_cast<int>(MF_GRAYED);
    const bool enabled = (enable & MF_GRAYED) == 0;
    std::erase(grayed_, id);
    if (!enabled) grayed_.push_back(id);
    ShowItemEnabled(id, enabled);
    return previous;
}

bool CMenuBar::IsMenuItemEnabled(UINT id) const {
    return std::find(grayed_.begin(), grayed_.end(), id) == grayed_.end();
}

void CMenuBar::SetStatusText(int id, const std::string& text) {
    statusId_ = id;
    status_ = text;
    ShowStatus();
}
