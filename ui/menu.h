#pragma once
// The system menu of a dialog: the usual window commands, to which a dialog may append items.
#include <string>
#include <vector>

#include "ui/types.h"

class CMenu {
public:
    struct Item {
        UINT flags = MF_STRING;
        UINT id = 0;
        std::string text;
    };
    BOOL AppendMenu(UINT flags, UINT id = 0, const std::string& text = {});
    int GetMenuItemCount() const { return static_cast<int>(items_.size()); }
    const std::vector<Item>& Items() const { return items_; }

private:
    std::vector<Item> items_;
};

// One line of the system menu as shown.
struct SystemMenuEntry {
    UINT id = 0;  // 0 for a separator
    std::string text;
    bool separator = false;
    bool enabled = true;
};
