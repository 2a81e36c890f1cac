#include "ui/menu.h"

BOOL CMenu::AppendMenu(UINT flags, UINT id, const std::string& text) {
    if ((flags & MF_SEPARATOR) == 0 && text.empty()) return FALSE;
    items_.push_back({flags, (flags & MF_SEPARATOR) != 0 ? 0u : id, text});
    return TRUE;
}
